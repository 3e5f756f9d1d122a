-- Data.mdb: the terminal list and the enroll-data store.

CREATE TABLE Terminal (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  Terminal TEXT COLLATE TURKISH,
  TerminalNo TEXT,
  Tip TEXT,
  ComPort TEXT,
  ComBaud TEXT,
  Ip TEXT,
  NetPort TEXT,
  Sifre TEXT
);

CREATE TABLE tblEnroll (
  EnrollNumber INTEGER,
  FingerNumber INTEGER,
  Privilige INTEGER,
  Name TEXT COLLATE TURKISH,
  FPdata BLOB,
  Password INTEGER
);
CREATE INDEX tblEnroll_User ON tblEnroll (EnrollNumber, FingerNumber);
