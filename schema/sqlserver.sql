-- The tool's tables on Microsoft SQL Server, reached through an ODBC data source (FreeTDS).
-- The data access layer runs SET DATEFORMAT with the order of the short date pattern when it
-- connects, so the day text of the tool's inserts reads as the day it names; DATE columns
-- read ISO text the same under every DATEFORMAT.
-- Text columns use a case- and accent-sensitive Windows-1252 collation: the item names are
-- matched exactly, as the tool compares them. Column names are matched without regard to
-- case only in a database whose own collation is case-insensitive (the default).
-- Each "-- object:" line starts the statements that create one table and its indexes.

-- object: BR_REDUCAOZ
CREATE TABLE BR_REDUCAOZ (
    DATA_MOVIMENTO DATE,
    SERIAL VARCHAR(40) COLLATE Latin1_General_CS_AS,
    N_CAIXA VARCHAR(20) COLLATE Latin1_General_CS_AS,
    COO_INICIAL INTEGER,
    COO_FINAL INTEGER,
    MODELO VARCHAR(60) COLLATE Latin1_General_CS_AS
);
-- The master query selects a range of days.
CREATE INDEX BR_REDUCAOZ_DIA ON BR_REDUCAOZ (DATA_MOVIMENTO, SERIAL);

-- object: BR_ITENS_RZ
CREATE TABLE BR_ITENS_RZ (
    Data_Movimento DATE,
    Serial VARCHAR(40) COLLATE Latin1_General_CS_AS,
    Descricao VARCHAR(80) COLLATE Latin1_General_CS_AS,
    Aliquota VARCHAR(20) COLLATE Latin1_General_CS_AS,
    Valor VARCHAR(30) COLLATE Latin1_General_CS_AS
);
-- Serves both the master query's per-item subqueries (day, serial and name) and the analytic
-- query's range of days.
CREATE INDEX BR_ITENS_RZ_CHAVE ON BR_ITENS_RZ (Data_Movimento, Serial, Descricao);

-- object: OrvekMestre
CREATE TABLE OrvekMestre (
    Emissao DATE,
    Serie VARCHAR(40) COLLATE Latin1_General_CS_AS,
    Equipamento VARCHAR(20) COLLATE Latin1_General_CS_AS,
    ModeloFiscal VARCHAR(4) COLLATE Latin1_General_CS_AS,
    COOInicial INTEGER,
    COOFinal INTEGER,
    Reducoes DOUBLE PRECISION,
    Reinicio DOUBLE PRECISION,
    VendaBruta NUMERIC(18, 2),
    TotalizadorGeral NUMERIC(18, 2),
    ModeloECF VARCHAR(60) COLLATE Latin1_General_CS_AS
);
-- The master query's NOT EXISTS looks a day and serial up here.
CREATE INDEX OrvekMestre_Chave ON OrvekMestre (Emissao, Serie);

-- object: OrvekAnalitico
CREATE TABLE OrvekAnalitico (
    Emissao DATE,
    Serie VARCHAR(40) COLLATE Latin1_General_CS_AS,
    -- A tax-situation code ('T', 'N', 'F', 'ISS', 'CANC', 'DESC') or a rate such as 18 or 7.5.
    Aliquota VARCHAR(20) COLLATE Latin1_General_CS_AS,
    TotalizadorParcial NUMERIC(18, 2)
);
-- The analytic query's NOT EXISTS looks a day and serial up here.
CREATE INDEX OrvekAnalitico_Chave ON OrvekAnalitico (Emissao, Serie);
