-- Result database of Zelvarin97 (Analyze.mdb and saved *.xdb files are SQLite 3 databases).
-- Every table is created when missing. 16-bit and 32-bit integers, bytes and Booleans are
-- INTEGER (True = -1), texts TEXT, sizes REAL, dates TEXT as 'yyyy/mm/dd hh:nn:ss'.
-- Columns without a type hold a value as it was read (number or text).

CREATE TABLE IF NOT EXISTS T_XlSaveFlag (
  ObjName TEXT, fObj INTEGER, fCel INTEGER, fPrc INTEGER, fSoc INTEGER, fShp INTEGER,
  fDim INTEGER, fFil INTEGER, fCom INTEGER, fNam INTEGER, fAdd INTEGER, fSocS INTEGER,
  fCrs INTEGER, mCs INTEGER, mSs INTEGER, Title TEXT, System TEXT, Company TEXT,
  Bumon TEXT, Auther TEXT, CreateDate TEXT);

CREATE TABLE IF NOT EXISTS T_XlTitle (FileName TEXT);

CREATE TABLE IF NOT EXISTS T_XlHyousi (
  SysTitle TEXT, SysName TEXT, Company TEXT, Bumon TEXT, Auther TEXT, CreateDate TEXT);

CREATE TABLE IF NOT EXISTS T_XlBook (
  BookNo INTEGER, XFileName TEXT, FileSize REAL, Title TEXT, SubTitle TEXT, Auther TEXT,
  Keywords TEXT, Comments, LastAuther TEXT, UpdateDate TEXT, PrintDate, CreateDate,
  Category TEXT, Manager TEXT, Company TEXT, Hyperlink, Label INTEGER);

CREATE TABLE IF NOT EXISTS T_XlLink (
  BookNo INTEGER, LinkNo INTEGER, LinkType TEXT, LinkMoto TEXT);

CREATE TABLE IF NOT EXISTS T_XlObject (
  BookNo INTEGER, objectNo INTEGER, Class TEXT, objectName TEXT, Row, Col,
  CellCount INTEGER, ErrCount INTEGER, ShapeCount, CalCount INTEGER, StVisible,
  ComentCount INTEGER);

CREATE TABLE IF NOT EXISTS T_XlCalc (
  Label INTEGER, SheetMei TEXT, objectNo INTEGER, StCell TEXT, CalcName TEXT, NoteName TEXT);

CREATE TABLE IF NOT EXISTS T_XlShape (
  objectNo INTEGER, SheetName TEXT, ControlName TEXT, ShapeName TEXT, ShapeType TEXT,
  IbentType TEXT, MacroName TEXT, ForeColor TEXT, LineStyle TEXT, TextName, Label INTEGER);

CREATE TABLE IF NOT EXISTS T_XlName (StCell TEXT, LabelName TEXT, SheetMei TEXT);

CREATE TABLE IF NOT EXISTS T_XlFile (
  FileNo INTEGER, XFileName TEXT, FileSize REAL, UpdateDate TEXT, FilePath TEXT, ReadOnly INTEGER);

CREATE TABLE IF NOT EXISTS T_XlAddin (
  FileNo INTEGER, Name TEXT, FullName TEXT, Title TEXT, Installed INTEGER, objectName TEXT,
  FileSize REAL, UpdateDate TEXT, ReadOnly INTEGER, FilePath TEXT);

CREATE TABLE IF NOT EXISTS T_XlProcName (
  objectNo INTEGER, ProcedureNo INTEGER, objectName TEXT, ProcedureName TEXT,
  PrivatePublic TEXT, Object TEXT, Type TEXT, DimCall INTEGER, Parameters TEXT, "As" TEXT);

CREATE TABLE IF NOT EXISTS T_XlDimCall (
  objectNo INTEGER, ProcedureNo INTEGER, Line INTEGER, DimCall INTEGER, Bunrui TEXT,
  Type TEXT, Parameters TEXT, "As" TEXT);

CREATE TABLE IF NOT EXISTS T_XlHensu (
  objectNo INTEGER, ProcedureNo INTEGER, objectName TEXT, ProcedureName TEXT, HensuName TEXT,
  Property TEXT, Bunrui TEXT, Type TEXT, Line INTEGER, Description TEXT);

CREATE TABLE IF NOT EXISTS T_XlSource (
  Label INTEGER, objectNo INTEGER, ProcedureNo INTEGER, Line INTEGER, objectName TEXT,
  ProcedureName TEXT, "Procedure" TEXT);

CREATE TABLE IF NOT EXISTS T_XlModStep (
  Object TEXT, objectNo INTEGER, ProcedureNo INTEGER, objectName TEXT, ProcedureName TEXT,
  ComentCnt INTEGER, SpaceCnt INTEGER, ProcCnt INTEGER, TotalCnt INTEGER);

CREATE TABLE IF NOT EXISTS T_XlComment (
  Object TEXT, objectNo INTEGER, ProcedureNo INTEGER, objectName TEXT, ProcedureName TEXT,
  Comment TEXT);

CREATE TABLE IF NOT EXISTS T_XlLinkModule (
  objectNo INTEGER, ProcedureNo INTEGER, objectName TEXT, "Procedure" TEXT,
  LinkProcedure TEXT, MotoName TEXT);

-- The entry-point map. Files saved before it existed lack these two tables; they load all
-- the same (result files check them only when present).
CREATE TABLE IF NOT EXISTS T_XlEntry (
  EntryNo INTEGER, KindNo INTEGER, Kind TEXT, Location TEXT, Place TEXT, Line INTEGER,
  StartType TEXT, Target TEXT, TargetModule TEXT, TargetProcedure TEXT, Found INTEGER);

CREATE TABLE IF NOT EXISTS T_XlReach (
  objectNo INTEGER, objectName TEXT, Object TEXT, ProcedureName TEXT, Line INTEGER,
  Reached INTEGER, EntryNo INTEGER, ReachedBy TEXT);
