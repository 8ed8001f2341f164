-- The tool's tables on PostgreSQL, reached through an ODBC data source.
-- The data access layer sets the session's DateStyle to the order of the short date pattern
-- when it connects, so the day text of the tool's inserts reads as the day it names.
-- Unquoted names fold to lower case, which gives the case-blind column names the statements
-- need. Create the database with UTF8 encoding so the accented item names match exactly.
-- Each "-- object:" line starts the statements that create one table and its indexes.

-- object: BR_REDUCAOZ
CREATE TABLE BR_REDUCAOZ (
    DATA_MOVIMENTO DATE,
    SERIAL VARCHAR(40),
    N_CAIXA VARCHAR(20),
    COO_INICIAL INTEGER,
    COO_FINAL INTEGER,
    MODELO VARCHAR(60)
);
-- The master query selects a range of days.
CREATE INDEX BR_REDUCAOZ_DIA ON BR_REDUCAOZ (DATA_MOVIMENTO, SERIAL);

-- object: BR_ITENS_RZ
CREATE TABLE BR_ITENS_RZ (
    Data_Movimento DATE,
    Serial VARCHAR(40),
    Descricao VARCHAR(80),
    Aliquota VARCHAR(20),
    Valor VARCHAR(30)
);
-- Serves both the master query's per-item subqueries (day, serial and name) and the analytic
-- query's range of days.
CREATE INDEX BR_ITENS_RZ_CHAVE ON BR_ITENS_RZ (Data_Movimento, Serial, Descricao);

-- object: OrvekMestre
CREATE TABLE OrvekMestre (
    Emissao DATE,
    Serie VARCHAR(40),
    Equipamento VARCHAR(20),
    ModeloFiscal VARCHAR(4),
    COOInicial INTEGER,
    COOFinal INTEGER,
    Reducoes DOUBLE PRECISION,
    Reinicio DOUBLE PRECISION,
    VendaBruta NUMERIC(18, 2),
    TotalizadorGeral NUMERIC(18, 2),
    ModeloECF VARCHAR(60)
);
-- The master query's NOT EXISTS looks a day and serial up here.
CREATE INDEX OrvekMestre_Chave ON OrvekMestre (Emissao, Serie);

-- object: OrvekAnalitico
CREATE TABLE OrvekAnalitico (
    Emissao DATE,
    Serie VARCHAR(40),
    -- A tax-situation code ('T', 'N', 'F', 'ISS', 'CANC', 'DESC') or a rate such as 18 or 7.5.
    Aliquota VARCHAR(20),
    TotalizadorParcial NUMERIC(18, 2)
);
-- The analytic query's NOT EXISTS looks a day and serial up here.
CREATE INDEX OrvekAnalitico_Chave ON OrvekAnalitico (Emissao, Serie);
