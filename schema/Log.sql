-- Log.mdb: the working list of card numbers and names.

CREATE TABLE temp (
  kartno TEXT,
  isim TEXT COLLATE TURKISH
);
CREATE INDEX temp_kartno ON temp (kartno);
