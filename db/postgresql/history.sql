-- The history of tb_id_standard: one row per change set (who, when, through
-- what, the chained SHA-256 and the digest of the table after it) and its
-- changed limit rows (an inserted row has no old values, a deleted one no
-- new values). The changed rows of one block of 32 item ids (item_block =
-- itemid / 32) and one condition go into one row of tb_std_history_row, a
-- line per changed row in `changes`:
--   itemid, paramid, stdorder, old hvalue, old lvalue, new hvalue, new lvalue,
--   type, itemname, paramname, separated by TAB; \N for no old (new) limits; the
--   names only for a deleted row; backslash, TAB, LF, CR escaped as \\ \t
--   \n \r.
-- Every statement may run again: stdhost upgrade-station runs this script
-- on an existing station, init-station on a new one.
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
    part integer NOT NULL,
    item_block integer NOT NULL,
    condition varchar(150),
    changes text NOT NULL,
    PRIMARY KEY (changeset, part)
);
CREATE INDEX IF NOT EXISTS ix_std_history_row_key ON tb_std_history_row (item_block, condition);
