-- The local database files (message.dat, and the preset file messagetype.dat) hold these tables.
-- Keys never come back after a delete (AUTOINCREMENT), so exclusion rows left behind by a deleted
-- item can never attach themselves to a later one.
CREATE TABLE usermessagetype (
    messagetypeid INTEGER PRIMARY KEY AUTOINCREMENT,
    MessageCategory INTEGER NOT NULL DEFAULT 1,
    OwnerUserID INTEGER NOT NULL DEFAULT 88,
    CheckInterval INTEGER NOT NULL DEFAULT 1200,
    state INTEGER NOT NULL DEFAULT 1,
    bCanChangeState INTEGER NOT NULL DEFAULT 1,
    bNotify INTEGER NOT NULL DEFAULT 0,
    DisplayType INTEGER NOT NULL DEFAULT 0,
    CheckNumber INTEGER NOT NULL DEFAULT 20,
    MustHaveID INTEGER NOT NULL DEFAULT 0,
    connAddress TEXT,
    MessageTypeName TEXT,
    UserName TEXT,
    Password TEXT,
    ViewName TEXT,
    MessageTypeUser TEXT,
    About TEXT,
    IncludeFrom TEXT,
    IncludeTo TEXT,
    notifysound TEXT
);
CREATE INDEX usermessagetype_name ON usermessagetype (MessageTypeName, messagetypeid);

CREATE TABLE userHttpExclude (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    messagetypeid INTEGER NOT NULL,
    excludeFrom TEXT,
    excludeTo TEXT
);
CREATE INDEX userHttpExclude_item ON userHttpExclude (messagetypeid);

CREATE TABLE userdata (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    status INTEGER NOT NULL DEFAULT 0,
    UserID INTEGER,
    MessageTypeID INTEGER,
    MessageCategory INTEGER,
    bCanChangeState INTEGER NOT NULL DEFAULT 1,
    UserName TEXT,
    MessageTypeName TEXT,
    SourceDate TEXT,
    SourceFromID TEXT,
    SourceFromName TEXT,
    SourceInfo TEXT,
    SourceToID TEXT,
    SourceToName TEXT,
    SourceContent TEXT,
    SourceLink TEXT,
    SourceType TEXT,
    SourceID TEXT,
    RecieveDate DATETIME DEFAULT (datetime('now', 'localtime'))
);
-- The list: unread first, newest first, for all items or one item.
CREATE INDEX userdata_status ON userdata (status, ID);
CREATE INDEX userdata_item_status ON userdata (MessageTypeID, status, ID);
-- The newest record of an item (web copies) and the duplicate tests.
CREATE INDEX userdata_item ON userdata (MessageTypeID, ID);
CREATE INDEX userdata_item_source ON userdata (MessageTypeID, SourceID, ID);
CREATE INDEX userdata_item_info ON userdata (MessageTypeID, SourceInfo, ID);
