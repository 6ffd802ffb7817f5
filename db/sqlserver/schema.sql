-- Station database, SQL Server (a script for sqlcmd: batches end with GO).
-- Identifiers are unquoted, as the programs write them; text sizes are in
-- characters (nvarchar); limit values and the modification stamp are text.
CREATE TABLE tb_status_memstd (
    DBModifyTime nvarchar(20)
);
GO

CREATE TABLE tb_login_lineindex (
    devid int NOT NULL,
    itemid int NOT NULL
);
GO

CREATE TABLE tb_id_standard (
    type nvarchar(64),
    itemid int NOT NULL,
    itemname nvarchar(64),
    condition nvarchar(150),
    paramid int NOT NULL,
    paramname nvarchar(64),
    hvalue nvarchar(20),
    lvalue nvarchar(20),
    stdorder int DEFAULT 0
);
GO
CREATE INDEX ix_tb_id_standard ON tb_id_standard (itemid, condition, paramid);
GO

CREATE TABLE tb_line_info (
    devid int NOT NULL,
    devname nvarchar(64)
);
GO

CREATE TABLE tb_id_item (
    ItemId int NOT NULL,
    ItemName nvarchar(64)
);
GO

CREATE TABLE tb_id_param (
    devid int NOT NULL,
    ItemId int NOT NULL,
    ParamId int NOT NULL,
    ParamName nvarchar(64)
);
GO

CREATE TABLE tb_type_index (
    CPMC nvarchar(64) NOT NULL,
    CPZM nvarchar(16)
);
GO

CREATE TABLE tb_type_vehicle (
    CPMC nvarchar(64) NOT NULL,
    CXXL nvarchar(64) NOT NULL
);
GO
