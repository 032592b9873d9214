// Anchors to journald (or syslog), and back from journald.
#include "register/anchor.h"

#include <ctime>
#include <string_view>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <syslog.h>
#include <systemd/sd-journal.h>

namespace {

constexpr const char* PRESA_JOURNALD = "/run/systemd/journal/socket";

std::string campo_di(sd_journal* j, const char* nome) {
    const void* dati = nullptr;
    size_t n = 0;
    if (sd_journal_get_data(j, nome, &dati, &n) < 0) return "";
    const std::string_view d(static_cast<const char*>(dati), n);
    const std::size_t uguale = d.find('=');
    return uguale == std::string_view::npos ? "" : std::string(d.substr(uguale + 1));
}

uint64_t numero_di(const std::string& t, bool& ok) {
    ok = !t.empty() && t.find_first_not_of("0123456789") == std::string::npos && t.size() < 20;
    return ok ? std::stoull(t) : 0;
}

// "registro PATH: voce N, hash H", as every anchor's message says it (and
// a forged one copies).
bool dal_messaggio(const std::string& m, ANCORA& a) {
    const std::string inizio = "registro ";
    const std::size_t voce = m.rfind(": voce ");
    const std::size_t hash = m.rfind(", hash ");
    if (!m.starts_with(inizio) || voce == std::string::npos || hash == std::string::npos ||
        hash < voce)
        return false;
    a.registro = m.substr(inizio.size(), voce - inizio.size());
    bool ok = false;
    a.voce = numero_di(m.substr(voce + 7, hash - voce - 7), ok);
    a.hash = m.substr(hash + 7);
    return ok && a.hash.size() == 64;
}

} // namespace

bool ancore_verificabili() {
    // A socket left by a journald that no longer runs takes nothing.
    const int s = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0) return false;
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, PRESA_JOURNALD, sizeof a.sun_path - 1);
    const bool vivo = connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return vivo;
}

void invia_ancora(const ANCORA& a) {
    const std::string messaggio = "registro " + a.registro + ": voce " + std::to_string(a.voce) +
                                  ", hash " + a.hash;
    if (ancore_verificabili() &&
        sd_journal_send("MESSAGE=%s", messaggio.c_str(), "PRIORITY=%d", LOG_NOTICE,
                        "SYSLOG_IDENTIFIER=sanzionario", "SANZIONARIO_REGISTRO=%s",
                        a.registro.c_str(), "SANZIONARIO_DISPOSITIVO=%llu",
                        static_cast<unsigned long long>(a.dispositivo), "SANZIONARIO_INODE=%llu",
                        static_cast<unsigned long long>(a.inode), "SANZIONARIO_VOCE=%llu",
                        static_cast<unsigned long long>(a.voce), "SANZIONARIO_HASH=%s",
                        a.hash.c_str(), nullptr) == 0)
        return;
    // Nothing fails where there is no system log: syslog drops the line.
    openlog("sanzionario", LOG_PID, LOG_USER);
    syslog(LOG_NOTICE, "%s", messaggio.c_str());
    closelog();
}

bool leggi_ancore(const std::string& registro, uint64_t dispositivo, uint64_t inode,
                  std::vector<ANCORA_LETTA>& ancore, long& altri_file) {
    if (!ancore_verificabili()) return false;
    sd_journal* j = nullptr;
    if (sd_journal_open(&j, SD_JOURNAL_LOCAL_ONLY) < 0) return false;
    sd_journal_add_match(j, "SYSLOG_IDENTIFIER=sanzionario", 0);
    SD_JOURNAL_FOREACH(j) {
        ANCORA_LETTA l;
        if (!dal_messaggio(campo_di(j, "MESSAGE"), l.a) || l.a.registro != registro) continue;
        bool ok_d = false, ok_i = false;
        const uint64_t d = numero_di(campo_di(j, "SANZIONARIO_DISPOSITIVO"), ok_d);
        const uint64_t i = numero_di(campo_di(j, "SANZIONARIO_INODE"), ok_i);
        l.con_identita = ok_d && ok_i;
        if (l.con_identita && (d != dispositivo || i != inode)) {
            ++altri_file;
            continue;
        }
        bool ok = false;
        const uint64_t uid = numero_di(campo_di(j, "_UID"), ok);
        if (ok) l.uid = static_cast<long>(uid);
        const uint64_t pid = numero_di(campo_di(j, "_PID"), ok);
        if (ok) l.pid = static_cast<long>(pid);
        uint64_t us = 0;
        if (sd_journal_get_realtime_usec(j, &us) >= 0) {
            const std::time_t t = static_cast<std::time_t>(us / 1000000);
            std::tm tm{};
            localtime_r(&t, &tm);
            char s[40];
            std::strftime(s, sizeof s, "%d/%m/%Y alle %H:%M:%S", &tm);
            l.quando = s;
        }
        ancore.push_back(std::move(l));
    }
    sd_journal_close(j);
    return true;
}
