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
-- The list: unread first, newest first, for all items or one item. The key runs downwards in the
-- index so that one scan serves the mixed order "status, id desc" (and, backwards, the last page).
CREATE INDEX userdata_status ON userdata (status, ID DESC);
CREATE INDEX userdata_item_status ON userdata (MessageTypeID, status, ID DESC);
-- The newest record of an item (web copies) and the duplicate tests.
CREATE INDEX userdata_item ON userdata (MessageTypeID, ID);
CREATE INDEX userdata_item_source ON userdata (MessageTypeID, SourceID, ID);
CREATE INDEX userdata_item_info ON userdata (MessageTypeID, SourceInfo, ID);

-- How many records each item has in each read state, kept by the triggers below, so that the list
-- can tell its page count without counting a million rows.
CREATE TABLE userdata_counts (
    MessageTypeID INTEGER NOT NULL,
    status INTEGER NOT NULL,
    n INTEGER NOT NULL,
    PRIMARY KEY (MessageTypeID, status)
) WITHOUT ROWID;
CREATE TRIGGER userdata_counts_insert AFTER INSERT ON userdata BEGIN
    INSERT INTO userdata_counts VALUES (ifnull(new.MessageTypeID, 0), ifnull(new.status, 0), 1)
        ON CONFLICT (MessageTypeID, status) DO UPDATE SET n = n + 1;
END;
CREATE TRIGGER userdata_counts_delete AFTER DELETE ON userdata BEGIN
    UPDATE userdata_counts SET n = n - 1
        WHERE MessageTypeID = ifnull(old.MessageTypeID, 0) AND status = ifnull(old.status, 0);
END;
CREATE TRIGGER userdata_counts_update AFTER UPDATE OF MessageTypeID, status ON userdata
    WHEN ifnull(old.MessageTypeID, 0) <> ifnull(new.MessageTypeID, 0) OR ifnull(old.status, 0) <> ifnull(new.status, 0)
BEGIN
    UPDATE userdata_counts SET n = n - 1
        WHERE MessageTypeID = ifnull(old.MessageTypeID, 0) AND status = ifnull(old.status, 0);
    INSERT INTO userdata_counts VALUES (ifnull(new.MessageTypeID, 0), ifnull(new.status, 0), 1)
        ON CONFLICT (MessageTypeID, status) DO UPDATE SET n = n + 1;
END;

-- Added after the first release: also run on older files (everything from here on is safe to run
-- again).
-- The identities of deleted findings, so that a check does not find them new again: the duplicate
-- key of the item's monitor (SourceID, for FTP the SourceInfo that names the file), the date it
-- compared, and for web pages the copy the next check compares with. ID is the deleted record's.
CREATE TABLE IF NOT EXISTS userdata_deleted (
    ID INTEGER PRIMARY KEY,
    MessageTypeID INTEGER NOT NULL,
    SourceKey TEXT,
    SourceDate TEXT,
    SourceLink TEXT,
    SourceInfo TEXT,
    SourceContent TEXT
);
CREATE INDEX IF NOT EXISTS userdata_deleted_key ON userdata_deleted (MessageTypeID, SourceKey, ID);
-- The list sorted by date: in the order of its ascending sort (read backwards for the descending
-- one), so that a page of a million records needs no sorting; without the read state, so that
-- marking records read does not rewrite it. The text columns sort in the application's own order
-- (pinyin for Chinese), which an index in a file other programs open cannot hold.
CREATE INDEX IF NOT EXISTS userdata_sort_date ON userdata (RecieveDate DESC, ID DESC);
-- The records of the last deletion, whole, until it is undone or the next deletion replaces them.
CREATE TABLE IF NOT EXISTS userdata_undo (
    ID INTEGER PRIMARY KEY,
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
    RecieveDate DATETIME
);
-- What an item may have besides its usermessagetype row (an item without a row has the defaults).
CREATE TABLE IF NOT EXISTS userdata_itemoptions (
    messagetypeid INTEGER PRIMARY KEY,
    OwnSchedule INTEGER NOT NULL DEFAULT 0,
    ExpectMinutes INTEGER NOT NULL DEFAULT 0,
    PinnedCertificate TEXT,
    MailPreview INTEGER NOT NULL DEFAULT 1
);
-- Every check of an item (the newest 200 per item), and the state the item's checks left.
CREATE TABLE IF NOT EXISTS userdata_checklog (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    MessageTypeID INTEGER NOT NULL,
    StartMs INTEGER NOT NULL,
    DurationMs INTEGER NOT NULL DEFAULT 0,
    StartedBy INTEGER NOT NULL DEFAULT 0,
    Result INTEGER NOT NULL DEFAULT 0,
    NewFindings INTEGER NOT NULL DEFAULT 0,
    StatusText TEXT
);
CREATE INDEX IF NOT EXISTS userdata_checklog_item ON userdata_checklog (MessageTypeID, ID);
CREATE TABLE IF NOT EXISTS userdata_checkstate (
    MessageTypeID INTEGER PRIMARY KEY,
    ConsecutiveFailures INTEGER NOT NULL DEFAULT 0,
    BackoffFailures INTEGER NOT NULL DEFAULT 0,
    LastCheckMs INTEGER NOT NULL DEFAULT 0,
    LastSuccessMs INTEGER NOT NULL DEFAULT 0,
    LastNewMs INTEGER NOT NULL DEFAULT 0,
    FirstCheckMs INTEGER NOT NULL DEFAULT 0,
    LastError TEXT,
    Announced INTEGER NOT NULL DEFAULT 0
);
-- Full-text search over subject, sender, receiver and content. The trigram tokenizer finds a word
-- of three or more characters anywhere in a text, Chinese included; shorter words are found through
-- the index's terms that begin with them (userdata_search_terms). Every text is indexed with a line
-- break after it, so that a word at a text's end also begins a term. The index holds no copy of the
-- texts (content=''): the triggers pass the old texts to take a row out.
CREATE VIRTUAL TABLE IF NOT EXISTS userdata_search USING fts5(body, content='', tokenize='trigram');
CREATE VIRTUAL TABLE IF NOT EXISTS userdata_search_terms USING fts5vocab(userdata_search, 'row');
-- Rows of an older file are indexed at start-up, in steps: the keys in (indexedTo, indexTo] are not
-- in the index yet, and the triggers leave them to that indexing (an undo may put such a key back).
CREATE TABLE IF NOT EXISTS userdata_search_state (
    indexedTo INTEGER NOT NULL,
    indexTo INTEGER NOT NULL
);
INSERT INTO userdata_search_state SELECT 0, ifnull(max(ID), 0) FROM userdata
    WHERE NOT EXISTS (SELECT 1 FROM userdata_search_state);
CREATE TRIGGER IF NOT EXISTS userdata_search_insert AFTER INSERT ON userdata
    WHEN new.ID <= (SELECT indexedTo FROM userdata_search_state) OR new.ID > (SELECT indexTo FROM userdata_search_state)
BEGIN
    INSERT INTO userdata_search (rowid, body) VALUES (new.ID,
        ifnull(new.SourceInfo, '') || char(10) || ifnull(new.SourceFromName, '') || char(10) ||
        ifnull(new.SourceToName, '') || char(10) || ifnull(new.SourceContent, '') || char(10));
END;
CREATE TRIGGER IF NOT EXISTS userdata_search_delete AFTER DELETE ON userdata
    WHEN old.ID <= (SELECT indexedTo FROM userdata_search_state) OR old.ID > (SELECT indexTo FROM userdata_search_state)
BEGIN
    INSERT INTO userdata_search (userdata_search, rowid, body) VALUES ('delete', old.ID,
        ifnull(old.SourceInfo, '') || char(10) || ifnull(old.SourceFromName, '') || char(10) ||
        ifnull(old.SourceToName, '') || char(10) || ifnull(old.SourceContent, '') || char(10));
END;
CREATE TRIGGER IF NOT EXISTS userdata_search_update
    AFTER UPDATE OF ID, SourceInfo, SourceFromName, SourceToName, SourceContent ON userdata
    WHEN old.ID <= (SELECT indexedTo FROM userdata_search_state) OR old.ID > (SELECT indexTo FROM userdata_search_state)
BEGIN
    INSERT INTO userdata_search (userdata_search, rowid, body) VALUES ('delete', old.ID,
        ifnull(old.SourceInfo, '') || char(10) || ifnull(old.SourceFromName, '') || char(10) ||
        ifnull(old.SourceToName, '') || char(10) || ifnull(old.SourceContent, '') || char(10));
    INSERT INTO userdata_search (rowid, body) VALUES (new.ID,
        ifnull(new.SourceInfo, '') || char(10) || ifnull(new.SourceFromName, '') || char(10) ||
        ifnull(new.SourceToName, '') || char(10) || ifnull(new.SourceContent, '') || char(10));
END;
-- A search's matches are counted, filtered and ordered by key, read state and item from this small
-- index rather than from the records themselves.
CREATE INDEX IF NOT EXISTS userdata_keys ON userdata (ID, status, MessageTypeID);
-- The list sorted by a text column (type, sender, subject, receiver): the keys of the texts in the
-- application's order (ListTextOrder.h), blobs that compare byte by byte as the texts do, one
-- table per column ordered by key (newest first among equal keys), so that plain indexes hold
-- the order and other programs can still write the records. Only the application can make a key:
-- the triggers name the records whose keys are to be made, with the texts of the keys to be taken
-- out (Keyed), and the list sorts by the keys only when none waits and they were made in its order.
CREATE TABLE IF NOT EXISTS userdata_sort_type (
    SortKey BLOB NOT NULL,
    RecordID INTEGER NOT NULL,
    PRIMARY KEY (SortKey, RecordID DESC)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS userdata_sort_from (
    SortKey BLOB NOT NULL,
    RecordID INTEGER NOT NULL,
    PRIMARY KEY (SortKey, RecordID DESC)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS userdata_sort_info (
    SortKey BLOB NOT NULL,
    RecordID INTEGER NOT NULL,
    PRIMARY KEY (SortKey, RecordID DESC)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS userdata_sort_to (
    SortKey BLOB NOT NULL,
    RecordID INTEGER NOT NULL,
    PRIMARY KEY (SortKey, RecordID DESC)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS userdata_sortkeys_waiting (
    RecordID INTEGER PRIMARY KEY,
    Keyed INTEGER NOT NULL DEFAULT 0,
    OldType TEXT,
    OldFrom TEXT,
    OldInfo TEXT,
    OldTo TEXT
);
-- The order the keys were made in ('' until the first keys are made); the records of an older
-- file wait for theirs.
CREATE TABLE IF NOT EXISTS userdata_sortkeys_state (
    KeyOrder TEXT NOT NULL
);
INSERT INTO userdata_sortkeys_waiting (RecordID) SELECT ID FROM userdata
    WHERE NOT EXISTS (SELECT 1 FROM userdata_sortkeys_state);
INSERT INTO userdata_sortkeys_state SELECT '' WHERE NOT EXISTS (SELECT 1 FROM userdata_sortkeys_state);
-- A record not waiting has its keys: a first change of it names the texts they were made of.
CREATE TRIGGER IF NOT EXISTS userdata_sortkeys_insert AFTER INSERT ON userdata BEGIN
    INSERT OR IGNORE INTO userdata_sortkeys_waiting (RecordID) VALUES (new.ID);
END;
CREATE TRIGGER IF NOT EXISTS userdata_sortkeys_update
    AFTER UPDATE OF ID, MessageTypeName, SourceFromName, SourceInfo, SourceToName ON userdata
BEGIN
    INSERT OR IGNORE INTO userdata_sortkeys_waiting VALUES (old.ID, 1, old.MessageTypeName, old.SourceFromName,
        old.SourceInfo, old.SourceToName);
    INSERT OR IGNORE INTO userdata_sortkeys_waiting (RecordID) VALUES (new.ID);
END;
CREATE TRIGGER IF NOT EXISTS userdata_sortkeys_delete AFTER DELETE ON userdata BEGIN
    INSERT OR IGNORE INTO userdata_sortkeys_waiting VALUES (old.ID, 1, old.MessageTypeName, old.SourceFromName,
        old.SourceInfo, old.SourceToName);
END;
