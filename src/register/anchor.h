// The register's anchors: after each save and at the end of each session,
// the chain's last entry number and hash go to the system log, naming the
// register by its absolute path and its identity (device and inode), so
// that a register rewritten whole, or cut back to an earlier entry, no
// longer matches what the system kept outside the folder.
//
// Where the system log is journald, the anchor is a structured entry
// (sd_journal_send: SANZIONARIO_REGISTRO, _DISPOSITIVO, _INODE, _VOCE,
// _HASH, beside the message), and reading it back (sd_journal_*) gives the
// fields journald itself adds, which no sender can choose: _UID, the user
// whose process wrote it. An anchor is trusted only when that is the
// register's owner: anybody may write a line that looks like one (logger
// -t sanzionario), none but the owner as the owner. Elsewhere the anchor
// goes to syslog as a line, which cannot be told from a forged one, and
// the verification says so.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

struct ANCORA {
    std::string registro; // absolute path
    uint64_t dispositivo = 0, inode = 0;
    uint64_t voce = 0;
    std::string hash;
};

// Sends the anchor; nothing fails where there is no system log.
void invia_ancora(const ANCORA& a);

// An anchor read back from journald.
struct ANCORA_LETTA {
    ANCORA a;
    bool con_identita = false; // it carries the register's device and inode
    long uid = -1;             // journald's trusted _UID; -1 when it has none
    long pid = -1;             // _PID
    std::string quando;        // "07/12/2026 alle 18:38:19"
};

// Whether the system log here is journald, whose anchors can be checked.
bool ancore_verificabili();

// The anchors journald holds for the register at `registro` (absolute
// path), whose identity is `dispositivo` and `inode`: those naming it by
// path whose identity, when they carry one, is the same; `altri_file`
// counts those naming the path with another identity (a file once there,
// or one put in its place). False when journald cannot be read here.
bool leggi_ancore(const std::string& registro, uint64_t dispositivo, uint64_t inode,
                  std::vector<ANCORA_LETTA>& ancore, long& altri_file);
