-- The history of tb_id_standard: one row per change set (who, when, through
-- what, the chained SHA-256 and the digest of the table after it) and one
-- row per changed limit row (an inserted row has no old values, a deleted
-- one no new values). Every statement may run again: stdhost upgrade-station
-- runs this script on an existing station, init-station on a new one.
CREATE TABLE IF NOT EXISTS tb_std_history (
    id integer NOT NULL PRIMARY KEY,
    changed_at varchar(19) NOT NULL,
    operator_name varchar(64) NOT NULL,
    program varchar(128) NOT NULL,
    kind varchar(16) NOT NULL,
    scope varchar(255) NOT NULL,
    note varchar(255) NOT NULL,
    reverts integer,
    row_count integer NOT NULL,
    table_rows integer NOT NULL,
    prev_hash varchar(64) NOT NULL,
    hash varchar(64) NOT NULL,
    table_digest varchar(64) NOT NULL
);

CREATE TABLE IF NOT EXISTS tb_std_history_row (
    changeset integer NOT NULL,
    seq integer NOT NULL,
    itemid integer NOT NULL,
    condition varchar(150),
    paramid integer NOT NULL,
    type varchar(64),
    itemname varchar(64),
    paramname varchar(64),
    stdorder integer,
    old_hvalue varchar(20),
    old_lvalue varchar(20),
    new_hvalue varchar(20),
    new_lvalue varchar(20),
    PRIMARY KEY (changeset, seq)
);
CREATE INDEX IF NOT EXISTS ix_std_history_row_key ON tb_std_history_row (itemid, condition, paramid);
