-- Station database, SQLite. Identifiers are unquoted, as the programs write
-- them; limit values and the modification stamp are text.
CREATE TABLE tb_status_memstd (
    DBModifyTime varchar(20)
);

CREATE TABLE tb_login_lineindex (
    devid integer NOT NULL,
    itemid integer NOT NULL
);

CREATE TABLE tb_id_standard (
    type varchar(64),
    itemid integer NOT NULL,
    itemname varchar(64),
    condition varchar(150),
    paramid integer NOT NULL,
    paramname varchar(64),
    hvalue varchar(20),
    lvalue varchar(20),
    stdorder integer DEFAULT 0
);
CREATE INDEX ix_tb_id_standard ON tb_id_standard (itemid, condition, paramid);

CREATE TABLE tb_line_info (
    devid integer NOT NULL,
    devname varchar(64)
);

CREATE TABLE tb_id_item (
    ItemId integer NOT NULL,
    ItemName varchar(64)
);

CREATE TABLE tb_id_param (
    devid integer NOT NULL,
    ItemId integer NOT NULL,
    ParamId integer NOT NULL,
    ParamName varchar(64)
);

CREATE TABLE tb_type_index (
    CPMC varchar(64) NOT NULL,
    CPZM varchar(16)
);

CREATE TABLE tb_type_vehicle (
    CPMC varchar(64) NOT NULL,
    CXXL varchar(64) NOT NULL
);
