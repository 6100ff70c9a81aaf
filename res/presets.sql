-- The presets that the check item dialog offers under "预制": ready-made check items, one or more of
-- every kind the program checks. Loaded into a fresh messagetype.dat on top of the local schema.
-- Host names are placeholders (example.com); the user puts in the real server, account and password.
-- Sound paths are relative to the application directory.

-- Database (1): a notices view on PostgreSQL through its ODBC driver (package odbc-postgresql).
INSERT INTO usermessagetype (MessageCategory, OwnerUserID, CheckInterval, state, bCanChangeState, bNotify,
    DisplayType, CheckNumber, MustHaveID, connAddress, MessageTypeName, UserName, Password, ViewName,
    MessageTypeUser, About, IncludeFrom, IncludeTo, notifysound)
VALUES (1, 88, 600, 1, 1, 0, 0, 20, 1,
    'Driver={PostgreSQL Unicode};Server=db.example.com;Port=5432;Database=notices;Uid=wendar;Pwd=;sslmode=prefer;',
    '办公通知(PostgreSQL)', '', '', 'v_notices', '',
    '读取 PostgreSQL 数据库中视图 v_notices 的最新 20 条通知。视图须有列 ID, SourceType, FromDate, FromID, FromName, Info, ToID, ToName, Content, Link。请在链接地址中改好 Server、Database、Uid 和 Pwd，并填写“您的身份标示”：只有 SourceType 等于您的身份标示的通知才会被读取。',
    '', '', 'sound/Cuckoo01.wav');

-- Database (1): the same kind of view in a local SQLite file (package libsqliteodbc).
INSERT INTO usermessagetype (MessageCategory, OwnerUserID, CheckInterval, state, bCanChangeState, bNotify,
    DisplayType, CheckNumber, MustHaveID, connAddress, MessageTypeName, UserName, Password, ViewName,
    MessageTypeUser, About, IncludeFrom, IncludeTo, notifysound)
VALUES (1, 88, 300, 1, 1, 0, 0, 50, 0,
    'Driver=SQLite3;Database=/var/lib/notices/notices.db;NoCreat=1',
    '本机通知库(SQLite)', '', '', 'notices', '',
    '读取本机 SQLite 数据库文件中表 notices 的最新 50 条记录，列与 PostgreSQL 通知视图相同。请把链接地址中的 Database= 改为您的数据库文件的完整路径；NoCreat=1 使文件不存在时报告错误，而不是新建一个空库。',
    '', '', 'sound/Cuckoo01.wav');

-- Web page (2): only the news block is compared; the visitor counter and the clock inside it change
-- at every visit and are left out (rows in userHttpExclude below).
INSERT INTO usermessagetype (MessageCategory, OwnerUserID, CheckInterval, state, bCanChangeState, bNotify,
    DisplayType, CheckNumber, MustHaveID, connAddress, MessageTypeName, UserName, Password, ViewName,
    MessageTypeUser, About, IncludeFrom, IncludeTo, notifysound)
VALUES (2, 88, 1800, 1, 1, 60, 0, 20, 0,
    'http://www.example.com/news/index.html',
    '网页更新(新闻首页)', '', '', '', '',
    '每 30 分钟下载一次新闻首页，只比较“<div id="news">”与“<div id="footer">”之间的内容；访问计数器和时钟两段不参与比较。发现变化时保存新的网页内容，未读期间每 60 秒提示一次。',
    '<div id="news">', '<div id="footer">', 'sound/Cuckoo01.wav');
INSERT INTO userHttpExclude (messagetypeid, excludeFrom, excludeTo)
    SELECT messagetypeid, '<span id="counter">', '</span>' FROM usermessagetype WHERE MessageTypeName = '网页更新(新闻首页)';
INSERT INTO userHttpExclude (messagetypeid, excludeFrom, excludeTo)
    SELECT messagetypeid, '<span class="clock">', '</span>' FROM usermessagetype WHERE MessageTypeName = '网页更新(新闻首页)';

-- FTP (3): new and changed files of a public download directory (the trailing '/' names a directory).
INSERT INTO usermessagetype (MessageCategory, OwnerUserID, CheckInterval, state, bCanChangeState, bNotify,
    DisplayType, CheckNumber, MustHaveID, connAddress, MessageTypeName, UserName, Password, ViewName,
    MessageTypeUser, About, IncludeFrom, IncludeTo, notifysound)
VALUES (3, 88, 3600, 1, 1, 0, 0, 20, 0,
    'ftp://ftp.example.com/pub/',
    'FTP下载区(新文件)', 'anonymous', '', '21', '',
    '每小时列出一次 FTP 服务器上的 /pub/ 目录，报告新出现的和修改时间变化了的文件和子目录。匿名登录时用户名为 anonymous；端口号留空则使用地址中的端口(默认 21)。',
    '', '', 'sound/Cuckoo01.wav');

-- Mail (4): plain POP3 on port 110; the mail stays on the server.
INSERT INTO usermessagetype (MessageCategory, OwnerUserID, CheckInterval, state, bCanChangeState, bNotify,
    DisplayType, CheckNumber, MustHaveID, connAddress, MessageTypeName, UserName, Password, ViewName,
    MessageTypeUser, About, IncludeFrom, IncludeTo, notifysound)
VALUES (4, 88, 600, 1, 1, 0, 0, 20, 0,
    'mail.example.com',
    '电子邮箱(POP3)', '', '', '110', '',
    '每 10 分钟查看一次 POP3 邮箱，每封新邮件生成一条消息(主题、发件人、收件人)，邮件本身留在服务器上。链接地址填写 POP3 服务器名，端口号留空即为 110。口令以明文传送，能用加密连接时请选“电子邮箱(POP3 加密)”。',
    '', '', 'sound/ring01.wav');

-- Mail (4): POP3 over TLS; the port comes from the address (995 when it names none), so ViewName is empty.
INSERT INTO usermessagetype (MessageCategory, OwnerUserID, CheckInterval, state, bCanChangeState, bNotify,
    DisplayType, CheckNumber, MustHaveID, connAddress, MessageTypeName, UserName, Password, ViewName,
    MessageTypeUser, About, IncludeFrom, IncludeTo, notifysound)
VALUES (4, 88, 600, 1, 1, 0, 0, 20, 0,
    'pop3s://mail.example.com',
    '电子邮箱(POP3 加密)', '', '', '', '',
    '通过 TLS 加密连接(pop3s)查看邮箱，服务器证书按系统的证书库和主机名校验，校验失败时不发送用户名和口令。地址写作 pop3s://服务器[:端口]，端口号一栏留空即用地址中的端口，没有写端口时为 995。',
    '', '', 'sound/ring01.wav');
