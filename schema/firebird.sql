-- The tool's tables on Firebird 3 (alias Krevan). Create the database with DEFAULT
-- CHARACTER SET UTF8; text columns name UTF8 themselves too, so the accented item names
-- match exactly whatever the database's default.
--
-- Firebird reads a day text such as '05/03/2024' as month/day/year and converts it before
-- any trigger on a DATE column runs. So the tool's inserts into OrvekMestre and
-- OrvekAnalitico are sent by the data access layer to the views OrvekMestreEntrada and
-- OrvekAnaliticoEntrada, whose Emissao is text; their triggers read it with ORVEK_DIA in the
-- order of day, month and year that the connection stores in its USER_SESSION context
-- (ORVEK_DAY_ORDER: 'DMY', 'MDY', 'YMD'...) and write the real day into the table, which
-- keeps an indexed DATE that compares equal to the source days.
-- Each "-- object:" line starts the statements that create one object.

-- object: BR_REDUCAOZ
CREATE TABLE BR_REDUCAOZ (
    DATA_MOVIMENTO DATE,
    SERIAL VARCHAR(40) CHARACTER SET UTF8,
    N_CAIXA VARCHAR(20) CHARACTER SET UTF8,
    COO_INICIAL INTEGER,
    COO_FINAL INTEGER,
    MODELO VARCHAR(60) CHARACTER SET UTF8
);
-- The master query selects a range of days.
CREATE INDEX BR_REDUCAOZ_DIA ON BR_REDUCAOZ (DATA_MOVIMENTO, SERIAL);

-- object: BR_ITENS_RZ
CREATE TABLE BR_ITENS_RZ (
    Data_Movimento DATE,
    Serial VARCHAR(40) CHARACTER SET UTF8,
    Descricao VARCHAR(80) CHARACTER SET UTF8,
    Aliquota VARCHAR(20) CHARACTER SET UTF8,
    Valor VARCHAR(30) CHARACTER SET UTF8
);
-- Serves both the master query's per-item subqueries (day, serial and name) and the analytic
-- query's range of days.
CREATE INDEX BR_ITENS_RZ_CHAVE ON BR_ITENS_RZ (Data_Movimento, Serial, Descricao);

-- object: OrvekMestre
CREATE TABLE OrvekMestre (
    Emissao DATE,
    Serie VARCHAR(40) CHARACTER SET UTF8,
    Equipamento VARCHAR(20) CHARACTER SET UTF8,
    ModeloFiscal VARCHAR(4) CHARACTER SET UTF8,
    COOInicial INTEGER,
    COOFinal INTEGER,
    Reducoes DOUBLE PRECISION,
    Reinicio DOUBLE PRECISION,
    VendaBruta NUMERIC(18, 2),
    TotalizadorGeral NUMERIC(18, 2),
    ModeloECF VARCHAR(60) CHARACTER SET UTF8
);
-- The master query's NOT EXISTS looks a day and serial up here.
CREATE INDEX OrvekMestre_Chave ON OrvekMestre (Emissao, Serie);

-- object: OrvekAnalitico
CREATE TABLE OrvekAnalitico (
    Emissao DATE,
    Serie VARCHAR(40) CHARACTER SET UTF8,
    -- A tax-situation code ('T', 'N', 'F', 'ISS', 'CANC', 'DESC') or a rate such as 18 or 7.5.
    Aliquota VARCHAR(20) CHARACTER SET UTF8,
    TotalizadorParcial NUMERIC(18, 2)
);
-- The analytic query's NOT EXISTS looks a day and serial up here.
CREATE INDEX OrvekAnalitico_Chave ON OrvekAnalitico (Emissao, Serie);

-- object: ORVEK_DIA_INVALIDO
CREATE EXCEPTION ORVEK_DIA_INVALIDO 'The day text cannot be read as a day';

-- object: ORVEK_DIA
-- The day that TEXTO names: three groups of digits separated by anything but letters, in the
-- connection's ORVEK_DAY_ORDER; a first group of four digits reads as year-month-day; years
-- of two digits 00..69 are 2000..2069 and 70..99 are 1970..1999. Raises ORVEK_DIA_INVALIDO
-- when the text names no day, or the connection stored no order.
SET TERM ^ ;
CREATE FUNCTION ORVEK_DIA (TEXTO VARCHAR(40) CHARACTER SET UTF8) RETURNS DATE
AS
    DECLARE ORDEM VARCHAR(3);
    DECLARE PADRAO VARCHAR(40) CHARACTER SET UTF8;
    DECLARE I INTEGER = 1;
    DECLARE C VARCHAR(1) CHARACTER SET UTF8;
    DECLARE GRUPOS INTEGER = 0;
    DECLARE DENTRO BOOLEAN = FALSE;
    DECLARE VALIDO BOOLEAN = TRUE;
    DECLARE V1 INTEGER = 0;
    DECLARE V2 INTEGER = 0;
    DECLARE V3 INTEGER = 0;
    DECLARE N1 INTEGER = 0;
    DECLARE N2 INTEGER = 0;
    DECLARE N3 INTEGER = 0;
    DECLARE P INTEGER = 1;
    DECLARE V INTEGER;
    DECLARE N INTEGER;
    DECLARE PARTE CHAR(1);
    DECLARE DIA INTEGER = 0;
    DECLARE MES INTEGER = 0;
    DECLARE ANO INTEGER = 0;
    DECLARE RESULTADO DATE;
BEGIN
    IF (TEXTO IS NULL) THEN
        RETURN NULL;
    ORDEM = RDB$GET_CONTEXT('USER_SESSION', 'ORVEK_DAY_ORDER');
    PADRAO = RDB$GET_CONTEXT('USER_SESSION', 'ORVEK_DAY_PATTERN');
    IF (ORDEM IS NULL) THEN
        EXCEPTION ORVEK_DIA_INVALIDO 'This connection did not say in which order its inserts '
            || 'write day, month and year (context ORVEK_DAY_ORDER), so ''' || TEXTO
            || ''' cannot be read as a day';
    IF (CHAR_LENGTH(ORDEM) <> 3) THEN
        EXCEPTION ORVEK_DIA_INVALIDO 'The short date pattern ' || COALESCE(PADRAO, '')
            || ' does not name a day, a month and a year, so no day can be written';

    WHILE (I <= CHAR_LENGTH(TEXTO) AND VALIDO) DO
    BEGIN
        C = SUBSTRING(TEXTO FROM I FOR 1);
        IF (C BETWEEN '0' AND '9') THEN
        BEGIN
            IF (NOT DENTRO) THEN
            BEGIN
                GRUPOS = GRUPOS + 1;
                DENTRO = TRUE;
            END
            IF (GRUPOS = 1) THEN
            BEGIN
                V1 = V1 * 10 + CAST(C AS INTEGER);
                N1 = N1 + 1;
            END
            ELSE IF (GRUPOS = 2) THEN
            BEGIN
                V2 = V2 * 10 + CAST(C AS INTEGER);
                N2 = N2 + 1;
            END
            ELSE IF (GRUPOS = 3) THEN
            BEGIN
                V3 = V3 * 10 + CAST(C AS INTEGER);
                N3 = N3 + 1;
            END
            ELSE
                VALIDO = FALSE;
        END
        ELSE IF (UPPER(C) <> LOWER(C)) THEN
            VALIDO = FALSE;
        ELSE
            DENTRO = FALSE;
        I = I + 1;
    END
    IF (GRUPOS <> 3 OR N1 > 4 OR N2 > 4 OR N3 > 4) THEN
        VALIDO = FALSE;
    IF (N1 = 4) THEN
        ORDEM = 'YMD';

    WHILE (P <= 3 AND VALIDO) DO
    BEGIN
        PARTE = SUBSTRING(ORDEM FROM P FOR 1);
        V = CASE P WHEN 1 THEN V1 WHEN 2 THEN V2 ELSE V3 END;
        N = CASE P WHEN 1 THEN N1 WHEN 2 THEN N2 ELSE N3 END;
        IF (PARTE = 'D') THEN
        BEGIN
            VALIDO = N <= 2;
            DIA = V;
        END
        ELSE IF (PARTE = 'M') THEN
        BEGIN
            VALIDO = N <= 2;
            MES = V;
        END
        ELSE IF (N = 2) THEN
            ANO = IIF(V < 70, 2000 + V, 1900 + V);
        ELSE IF (N = 4) THEN
            ANO = V;
        ELSE
            VALIDO = FALSE;
        P = P + 1;
    END
    IF (VALIDO AND (MES < 1 OR MES > 12 OR DIA < 1 OR ANO < 1)) THEN
        VALIDO = FALSE;
    IF (VALIDO) THEN
    BEGIN
        -- ISO text is the one form Firebird reads the same everywhere.
        RESULTADO = DATEADD(DIA - 1 DAY TO CAST(LPAD(ANO, 4, '0') || '-' || LPAD(MES, 2, '0')
                                                || '-01' AS DATE));
        VALIDO = EXTRACT(MONTH FROM RESULTADO) = MES;
    END
    IF (NOT VALIDO) THEN
        EXCEPTION ORVEK_DIA_INVALIDO '''' || TEXTO || ''' is not a day written as '
            || COALESCE(PADRAO, ORDEM);
    RETURN RESULTADO;
END^
SET TERM ; ^

-- object: OrvekMestreEntrada
-- The tool's inserts into OrvekMestre arrive here with their day as text.
CREATE VIEW OrvekMestreEntrada AS
    SELECT CAST(Emissao AS VARCHAR(40) CHARACTER SET UTF8) AS Emissao, Serie, Equipamento,
           ModeloFiscal, COOInicial, COOFinal, Reducoes, Reinicio, VendaBruta, TotalizadorGeral,
           ModeloECF
    FROM OrvekMestre;
SET TERM ^ ;
CREATE TRIGGER OrvekMestreEntrada_Dia FOR OrvekMestreEntrada BEFORE INSERT
AS
BEGIN
    INSERT INTO OrvekMestre (Emissao, Serie, Equipamento, ModeloFiscal, COOInicial, COOFinal,
                             Reducoes, Reinicio, VendaBruta, TotalizadorGeral, ModeloECF)
    VALUES (ORVEK_DIA(NEW.Emissao), NEW.Serie, NEW.Equipamento, NEW.ModeloFiscal,
            NEW.COOInicial, NEW.COOFinal, NEW.Reducoes, NEW.Reinicio, NEW.VendaBruta,
            NEW.TotalizadorGeral, NEW.ModeloECF);
END^
SET TERM ; ^

-- object: OrvekAnaliticoEntrada
-- The tool's inserts into OrvekAnalitico arrive here with their day as text.
CREATE VIEW OrvekAnaliticoEntrada AS
    SELECT CAST(Emissao AS VARCHAR(40) CHARACTER SET UTF8) AS Emissao, Serie, Aliquota,
           TotalizadorParcial
    FROM OrvekAnalitico;
SET TERM ^ ;
CREATE TRIGGER OrvekAnaliticoEntrada_Dia FOR OrvekAnaliticoEntrada BEFORE INSERT
AS
BEGIN
    INSERT INTO OrvekAnalitico (Emissao, Serie, Aliquota, TotalizadorParcial)
    VALUES (ORVEK_DIA(NEW.Emissao), NEW.Serie, NEW.Aliquota, NEW.TotalizadorParcial);
END^
SET TERM ; ^
