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
IF OBJECT_ID(N'tb_std_history', N'U') IS NULL
CREATE TABLE tb_std_history (
    id int NOT NULL PRIMARY KEY,
    changed_at nvarchar(19) NOT NULL,
    operator_name nvarchar(64) NOT NULL,
    program nvarchar(128) NOT NULL,
    kind nvarchar(16) NOT NULL,
    scope nvarchar(255) NOT NULL,
    note nvarchar(255) NOT NULL,
    reverts int,
    row_count int NOT NULL,
    table_rows int NOT NULL,
    prev_hash nvarchar(64) NOT NULL,
    hash nvarchar(64) NOT NULL,
    table_digest nvarchar(64) NOT NULL
);
GO

IF OBJECT_ID(N'tb_std_history_row', N'U') IS NULL
CREATE TABLE tb_std_history_row (
    changeset int NOT NULL,
    part int NOT NULL,
    item_block int NOT NULL,
    condition nvarchar(150),
    changes nvarchar(max) NOT NULL,
    PRIMARY KEY (changeset, part)
);
GO

IF NOT EXISTS (SELECT * FROM sys.indexes WHERE name = N'ix_std_history_row_key')
CREATE INDEX ix_std_history_row_key ON tb_std_history_row (item_block, condition);
GO
