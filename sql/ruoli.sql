-- The two roles of a Sanzionario database archive, and what each may do:
--   sanzionario_impiegato  the clerks: the program's changes to fines and
--                          owners; the register and the log of changes
--                          only read and added to, never changed
--   sanzionario_lettore    reports and backups: reading only
-- Both are groups (NOLOGIN): give them to the office's login roles, e.g.
--   CREATE ROLE mario LOGIN PASSWORD '...' IN ROLE sanzionario_impiegato;
--
-- Run it in the archive's database once `sanzionario importa-archivio`
-- has made the schema, and again after a newer program has updated it,
-- as a role that may create roles (CREATEROLE) and owns the schema (the
-- role that imported the archive) or is a superuser:
--   psql -v ON_ERROR_STOP=1 -d ufficio -f /usr/share/sanzionario/ruoli.sql
-- It may be run any number of times; it does everything or nothing.
BEGIN;

DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'sanzionario_impiegato') THEN
        CREATE ROLE sanzionario_impiegato NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'sanzionario_lettore') THEN
        CREATE ROLE sanzionario_lettore NOLOGIN;
    END IF;
END
$$;

GRANT USAGE ON SCHEMA sanzionario TO sanzionario_impiegato, sanzionario_lettore;

GRANT SELECT ON ALL TABLES IN SCHEMA sanzionario TO sanzionario_lettore;

GRANT SELECT ON sanzionario.versione_schema TO sanzionario_impiegato;
GRANT SELECT, INSERT, UPDATE, DELETE ON sanzionario.contravvenzioni, sanzionario.anagrafica
    TO sanzionario_impiegato;
GRANT SELECT, INSERT ON sanzionario.modifiche, sanzionario.registro, sanzionario.operazioni
    TO sanzionario_impiegato;
GRANT SELECT, INSERT, DELETE ON sanzionario.prenotazioni TO sanzionario_impiegato;
GRANT USAGE ON ALL SEQUENCES IN SCHEMA sanzionario TO sanzionario_impiegato;

COMMIT;
