<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AppPaths</name>
    <message>
        <source>不能创建数据目录 </source>
        <translation>Cannot create the data directory </translation>
    </message>
    <message>
        <source>数据目录不是一个目录: </source>
        <translation>The data directory is not a directory: </translation>
    </message>
    <message>
        <source>旧的数据库 </source>
        <translation>The old database </translation>
    </message>
    <message>
        <source> 没有使用: </source>
        <translation> was not used: </translation>
    </message>
    <message>
        <source> 已经存在。需要旧数据库里的项目时, 用 --home </source>
        <translation> already exists. To use the items in the old database, open it with --home </translation>
    </message>
    <message>
        <source> 打开它。</source>
        <translation>.</translation>
    </message>
    <message>
        <source>不能把旧的数据库 </source>
        <translation>Cannot move the old database </translation>
    </message>
    <message>
        <source> 移到 </source>
        <translation> to </translation>
    </message>
    <message>
        <source>。继续使用原处的数据库。</source>
        <translation>. The database stays where it is and is used there.</translation>
    </message>
    <message>
        <source>已把旧的数据库 </source>
        <translation>Moved the old database </translation>
    </message>
</context>
<context>
    <name>CAboutBox</name>
    <message>
        <source>关于 Wendar</source>
        <translation>About Wendar</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>程序版本 %1 (wendar --version 和安装包的版本; 标题中的 V1.03 是界面的版本)</source>
        <translation>Program version %1 (the version of wendar --version and of the package; the V1.03 in the title is the version of the interface)</translation>
    </message>
    <message>
        <source>监视数据库视图、网页、FTP 目录和 POP3 邮箱，&lt;br&gt;并告诉您其中的新消息。</source>
        <translation>Watches database views, web pages, FTP directories and POP3 mailboxes&lt;br&gt;and tells you what is new in them.</translation>
    </message>
    <message>
        <source>Wendar V1.03, 程序版本 %1</source>
        <translation>Wendar V1.03, program version %1</translation>
    </message>
</context>
<context>
    <name>CAdoConnection</name>
    <message>
        <source>连接数据失败，请检查网络和数据库设置是否正确</source>
        <translation>Connecting to the database failed; check the network and the database settings</translation>
    </message>
    <message>
        <source>连接失败</source>
        <translation>Connection failed</translation>
    </message>
    <message>
        <source>数据库连接未知错误，无法捕捉具体错误信息!</source>
        <translation>Unknown database connection error; no details could be obtained!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>数据库还未打开</source>
        <translation>the database is not open yet</translation>
    </message>
    <message>
        <source>连接字符串过长（</source>
        <translation>The connection string is too long (</translation>
    </message>
    <message>
        <source> 个字符，最多 </source>
        <translation> characters, at most </translation>
    </message>
    <message>
        <source> 个）</source>
        <translation>)</translation>
    </message>
</context>
<context>
    <name>CAdoRecordset</name>
    <message>
        <source>数据库还未打开，不能打开数据表。</source>
        <translation>The database is not open yet; the table cannot be opened.</translation>
    </message>
    <message>
        <source>字段访问发生错误，请确认数据库结构没有改动。</source>
        <translation>A field could not be read; make sure the database&apos;s structure has not been changed.</translation>
    </message>
    <message>
        <source>字段访问</source>
        <translation>Field access</translation>
    </message>
</context>
<context>
    <name>CAdvancedOptionsDlg</name>
    <message>
        <source>更多高级选项</source>
        <translation>More advanced options</translation>
    </message>
    <message>
        <source>检查时间</source>
        <translation>Check times</translation>
    </message>
    <message>
        <source>按本项目的间隔检查</source>
        <translation>Check at this item&apos;s own interval</translation>
    </message>
    <message>
        <source>检查间隔（分钟）</source>
        <translation>Check interval (minutes)</translation>
    </message>
    <message>
        <source>沉寂提醒：超过</source>
        <translation>Silence alert: after</translation>
    </message>
    <message>
        <source>沉寂提醒</source>
        <translation>Silence alert</translation>
    </message>
    <message>
        <source>沉寂提醒（分钟）</source>
        <translation>Silence alert (minutes)</translation>
    </message>
    <message>
        <source>每隔</source>
        <translation>Every</translation>
    </message>
    <message>
        <source>分钟检查一次</source>
        <translation>minutes, check once</translation>
    </message>
    <message>
        <source>分钟没有新消息时提醒</source>
        <translation>minutes without new messages, tell me</translation>
    </message>
    <message>
        <source>服务器证书</source>
        <translation>Server certificate</translation>
    </message>
    <message>
        <source>信任的证书指纹 (SHA-256)</source>
        <translation>Trusted certificate fingerprint (SHA-256)</translation>
    </message>
    <message>
        <source>信任的证书指纹 (SHA-256)：</source>
        <translation>Trusted certificate fingerprint (SHA-256):</translation>
    </message>
    <message>
        <source>上次检查失败时服务器出示了这个证书。确认后本项目除系统信任的证书外只再信任它。</source>
        <translation>The server presented this certificate when the last check failed. Once you confirm, this item trusts it in addition to the certificates the system trusts, and no other.</translation>
    </message>
    <message>
        <source>除系统信任的证书外，本项目只再信任指纹相同的一个证书；留空则不信任其他证书。</source>
        <translation>Besides the certificates the system trusts, this item trusts only the one certificate with this fingerprint; leave it empty to trust no other certificate.</translation>
    </message>
    <message>
        <source>显示邮件预览</source>
        <translation>Show a mail preview</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>放弃</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>证书指纹应是 64 位十六进制数字（SHA-256），可以用冒号分隔。</source>
        <translation>The certificate fingerprint must be 64 hexadecimal digits (SHA-256), optionally separated by colons.</translation>
    </message>
</context>
<context>
    <name>CBusyAnimation</name>
    <message>
        <source>检查动画</source>
        <translation>Check animation</translation>
    </message>
    <message>
        <source>正在检查</source>
        <translation>Checking </translation>
    </message>
</context>
<context>
    <name>CCheckLogDlg</name>
    <message>
        <source>有新消息</source>
        <translation>New messages</translation>
    </message>
    <message>
        <source>没有新消息</source>
        <translation>Nothing new</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>跳过（另一个程序正在检查）</source>
        <translation>Skipped (another program is checking)</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>检查记录 - %1</source>
        <translation>Check log - %1</translation>
    </message>
    <message>
        <source>检查记录</source>
        <translation>Check log</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Started</translation>
    </message>
    <message>
        <source>用时</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>方式</source>
        <translation>By</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>新消息</source>
        <translation>New messages</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>这个项目还没有检查过。</source>
        <translation>This item has not been checked yet.</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>定时</source>
        <translation>Timer</translation>
    </message>
    <message>
        <source>手工</source>
        <translation>By hand</translation>
    </message>
    <message>
        <source>命令行</source>
        <translation>Command line</translation>
    </message>
</context>
<context>
    <name>CDesktopNotifier</name>
    <message>
        <source>打开主窗口</source>
        <translation>Open the main window</translation>
    </message>
</context>
<context>
    <name>CExcludeDlg</name>
    <message>
        <source>排除内容设定</source>
        <translation>Exclusions</translation>
    </message>
    <message>
        <source>排除开始处：</source>
        <translation>Exclude from:</translation>
    </message>
    <message>
        <source>排除结束处：</source>
        <translation>Exclude to:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>放弃</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CExportItemsDialog</name>
    <message>
        <source>导出选定的检查项目</source>
        <translation>Export the selected check items</translation>
    </message>
    <message>
        <source>检查项目文件 (*.json)</source>
        <translation>Check item files (*.json)</translation>
    </message>
    <message>
        <source>所有文件 (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>包括口令</source>
        <translation>Include passwords</translation>
    </message>
    <message>
        <source>口令会以明文写入文件, 文件只有您自己可以读取</source>
        <translation>Passwords are written to the file in plain text; only you can read the file</translation>
    </message>
</context>
<context>
    <name>CFtpClient</name>
    <message>
        <source>内存不足</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>地址格式不正确</source>
        <translation>the address is malformed</translation>
    </message>
    <message>
        <source>服务器在 </source>
        <translation>The server did not finish within </translation>
    </message>
    <message>
        <source> 秒内没有完成</source>
        <translation> seconds</translation>
    </message>
    <message>
        <source>服务器 </source>
        <translation>The server did not answer for </translation>
    </message>
    <message>
        <source> 秒没有回应</source>
        <translation> seconds</translation>
    </message>
    <message>
        <source>目录列表超过 </source>
        <translation>The directory listing exceeds </translation>
    </message>
    <message>
        <source> 字节</source>
        <translation> bytes</translation>
    </message>
</context>
<context>
    <name>CHealthOperations</name>
    <message>
        <source> 连续 %d 次检查失败: </source>
        <translation> failed %d checks in a row: </translation>
    </message>
    <message>
        <source> 已有 %d 分钟没有新消息</source>
        <translation> has had no new messages for %d minutes</translation>
    </message>
    <message>
        <source> 已恢复正常</source>
        <translation> is working again</translation>
    </message>
    <message>
        <source> 又有了新消息</source>
        <translation> has new messages again</translation>
    </message>
    <message>
        <source>这个检查项目已经不在数据库中</source>
        <translation>This check item is no longer in the database</translation>
    </message>
</context>
<context>
    <name>CHttpRequest</name>
    <message>
        <source>网页超过 </source>
        <translation>The page exceeds </translation>
    </message>
    <message>
        <source> 字节</source>
        <translation> bytes</translation>
    </message>
</context>
<context>
    <name>CItemOperations</name>
    <message>
        <source>这个检查项目已经不在数据库中</source>
        <translation>This check item is no longer in the database</translation>
    </message>
    <message>
        <source>不能读取预制项目: </source>
        <translation>Cannot read the preset items: </translation>
    </message>
    <message>
        <source>数据库没有接受这次修改</source>
        <translation>The database did not accept this change</translation>
    </message>
</context>
<context>
    <name>CLeftView</name>
    <message>
        <source>所有</source>
        <translation>All</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>请确认</source>
        <translation>Please confirm</translation>
    </message>
    <message>
        <source>系统广播状态不能修改！</source>
        <translation>The system broadcast&apos;s state cannot be changed!</translation>
    </message>
    <message>
        <source>系统广播属性不能修改！</source>
        <translation>The system broadcast&apos;s properties cannot be changed!</translation>
    </message>
    <message>
        <source>系统广播不能删除！</source>
        <translation>The system broadcast cannot be deleted!</translation>
    </message>
    <message>
        <source>请首先选择选择相应的自动检查的项目，才能进行修改操作！</source>
        <translation>Select the check item to modify first!</translation>
    </message>
    <message>
        <source>请首先选择选择相应的自动检查的项目，才能进行删除操作！</source>
        <translation>Select the check item to delete first!</translation>
    </message>
    <message>
        <source>增加一个项目</source>
        <translation>Add an item</translation>
    </message>
    <message>
        <source>修改这个项目</source>
        <translation>Modify this item</translation>
    </message>
    <message>
        <source>删除这个项目</source>
        <translation>Delete this item</translation>
    </message>
    <message>
        <source>允许这个项目 	 CTRL+E</source>
        <translation>Enable this item 	 CTRL+E</translation>
    </message>
    <message>
        <source>禁止这个项目</source>
        <translation>Disable this item</translation>
    </message>
    <message>
        <source>开始检查此项目</source>
        <translation>Check this item now</translation>
    </message>
    <message>
        <source>启动所有的检查项目</source>
        <translation>Check all items</translation>
    </message>
    <message>
        <source>停止当前检查</source>
        <translation>Stop the current check</translation>
    </message>
    <message>
        <source>标记所有为已读</source>
        <translation>Mark all as read</translation>
    </message>
    <message>
        <source>标记所有为未读</source>
        <translation>Mark all as unread</translation>
    </message>
    <message>
        <source>检查项目</source>
        <translation>Check items</translation>
    </message>
    <message>
        <source>项目</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>项目:(</source>
        <translation>Item: (</translation>
    </message>
    <message>
        <source>)
您确认要删除这个项目吗?</source>
        <translation>)
Do you really want to delete this item?</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>失败（连续 %1 次检查失败）</source>
        <translation>Failing (%1 failed checks in a row)</translation>
    </message>
    <message>
        <source>恢复</source>
        <translation>Recovered</translation>
    </message>
    <message>
        <source>沉寂（很久没有新消息）</source>
        <translation>Silent (no new messages for a long time)</translation>
    </message>
    <message>
        <source>从未</source>
        <translation>never</translation>
    </message>
    <message>
        <source>状态：%1</source>
        <translation>State: %1</translation>
    </message>
    <message>
        <source>还没有检查过</source>
        <translation>Not checked yet</translation>
    </message>
    <message>
        <source>最后检查：%1</source>
        <translation>Last check: %1</translation>
    </message>
    <message>
        <source>最后成功：%1</source>
        <translation>Last success: %1</translation>
    </message>
    <message>
        <source>最后错误：%1</source>
        <translation>Last error: %1</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>检查记录…</source>
        <translation>Check Log…</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>自动检查软件</source>
        <translation>Automatic checker</translation>
    </message>
    <message>
        <source>读取状态</source>
        <translation>Read state</translation>
    </message>
    <message>
        <source>工具栏</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>属性</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>检查</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>分页</source>
        <translation>Paging</translation>
    </message>
    <message>
        <source>状态栏</source>
        <translation>Status bar</translation>
    </message>
    <message>
        <source>当前状态</source>
        <translation>Current status</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>主窗口</source>
        <translation>Main window</translation>
    </message>
    <message>
        <source>窗格</source>
        <translation>Panes</translation>
    </message>
    <message>
        <source>注意</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>现在正在检查</source>
        <translation>Checking now</translation>
    </message>
    <message>
        <source>手动</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>更多按钮</source>
        <translation>More buttons</translation>
    </message>
    <message>
        <source>没有未读消息</source>
        <translation>No unread messages</translation>
    </message>
    <message>
        <source>导入新的检查项目</source>
        <translation>Import check items</translation>
    </message>
    <message>
        <source>检查项目文件 (*.json *.yaml *.yml);;所有文件 (*)</source>
        <translation>Check item files (*.json *.yaml *.yml);;All files (*)</translation>
    </message>
    <message>
        <source>没有增加任何检查项目</source>
        <translation>No check items were added</translation>
    </message>
    <message>
        <source>增加了 %1 个检查项目</source>
        <translation>Added %1 check items</translation>
    </message>
    <message>
        <source>跳过了 %1 个:</source>
        <translation>Skipped %1:</translation>
    </message>
    <message>
        <source>第 %1 个 &quot;%2&quot;: %3</source>
        <translation>No. %1 &quot;%2&quot;: %3</translation>
    </message>
    <message>
        <source>检查项目已导出到 %1</source>
        <translation>The check items were exported to %1</translation>
    </message>
</context>
<context>
    <name>CMainFrameCommands</name>
    <message>
        <source>现在正在检查</source>
        <translation>Checking now</translation>
    </message>
</context>
<context>
    <name>CMessageListModel</name>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>日期时间</source>
        <translation>Date and time</translation>
    </message>
    <message>
        <source>发送人</source>
        <translation>Sender</translation>
    </message>
    <message>
        <source>主题</source>
        <translation>Subject</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Content</translation>
    </message>
    <message>
        <source>接受人</source>
        <translation>Recipient</translation>
    </message>
    <message>
        <source>摘要...</source>
        <translation>Summary...</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>标记</source>
        <translation>Mark</translation>
    </message>
    <message>
        <source>未读</source>
        <translation>Unread</translation>
    </message>
    <message>
        <source>已读</source>
        <translation>Read</translation>
    </message>
</context>
<context>
    <name>CMessageOperations</name>
    <message>
        <source>没有这条消息</source>
        <translation>No such message</translation>
    </message>
    <message>
        <source>数据库正忙</source>
        <translation>the database is busy</translation>
    </message>
    <message>
        <source>不能读取未读消息数</source>
        <translation>Cannot read the number of unread messages</translation>
    </message>
    <message>
        <source> 未读消息合计:</source>
        <translation> unread messages in all: </translation>
    </message>
    <message>
        <source>当前类别: 所有 (</source>
        <translation>Current item: all (</translation>
    </message>
    <message>
        <source>当前类别:</source>
        <translation>Current item: </translation>
    </message>
    <message>
        <source>(禁止)</source>
        <translation> (disabled)</translation>
    </message>
    <message>
        <source>未读:</source>
        <translation>unread: </translation>
    </message>
    <message>
        <source>这条消息的检查项目已经不存在</source>
        <translation>This message&apos;s check item no longer exists</translation>
    </message>
    <message>
        <source>标题: </source>
        <translation>Subject: </translation>
    </message>
    <message>
        <source>发送者: </source>
        <translation>Sender: </translation>
    </message>
    <message>
        <source>接收者: </source>
        <translation>Recipient: </translation>
    </message>
</context>
<context>
    <name>CMessageTypeDlg</name>
    <message>
        <source>请首先选择需要修改的条目</source>
        <translation>Select the entry to change first</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>属性信息错误</source>
        <translation>Invalid properties</translation>
    </message>
    <message>
        <source>声音文件 (*.wav);;所有文件 (*.*)</source>
        <translation>Sound files (*.wav);;All files (*.*)</translation>
    </message>
    <message>
        <source>自动检查消息项目属性</source>
        <translation>Check item properties</translation>
    </message>
    <message>
        <source>预制</source>
        <translation>Presets</translation>
    </message>
    <message>
        <source>数据库监视</source>
        <translation>Database watch</translation>
    </message>
    <message>
        <source>网页监视</source>
        <translation>Web page watch</translation>
    </message>
    <message>
        <source>FTP监视</source>
        <translation>FTP watch</translation>
    </message>
    <message>
        <source>Email(POP3)监视</source>
        <translation>Email (POP3) watch</translation>
    </message>
    <message>
        <source>其他监视</source>
        <translation>Other watch</translation>
    </message>
    <message>
        <source>更多高级选项</source>
        <translation>More advanced options</translation>
    </message>
    <message>
        <source>名称：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>类型：</source>
        <translation>Type:</translation>
    </message>
    <message>
        <source>您的身份标示：</source>
        <translation>Your identity:</translation>
    </message>
    <message>
        <source>链接设置</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>链接视图：</source>
        <translation>View:</translation>
    </message>
    <message>
        <source>测试</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>链接地址：</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>用户名：</source>
        <translation>User name:</translation>
    </message>
    <message>
        <source>口令：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>检查选项</source>
        <translation>Checking</translation>
    </message>
    <message>
        <source>允许自动检查</source>
        <translation>Allow automatic checking</translation>
    </message>
    <message>
        <source>检查间隔</source>
        <translation>Check interval</translation>
    </message>
    <message>
        <source>可以手工改变消息为“已读”</source>
        <translation>Messages may be marked &quot;read&quot; by hand</translation>
    </message>
    <message>
        <source>检查最新消息条数(数据库):</source>
        <translation>Newest messages to check (database):</translation>
    </message>
    <message>
        <source>单击一条消息时</source>
        <translation>when a message is clicked</translation>
    </message>
    <message>
        <source>显示链接的消息</source>
        <translation>Show the linked message</translation>
    </message>
    <message>
        <source>显示检索到的内容</source>
        <translation>Show the retrieved content</translation>
    </message>
    <message>
        <source>监测到新消息时</source>
        <translation>when a new message is found</translation>
    </message>
    <message>
        <source>声音提示</source>
        <translation>Sound notification</translation>
    </message>
    <message>
        <source>每隔秒声音提示一次</source>
        <translation>Repeat the sound every n seconds</translation>
    </message>
    <message>
        <source>只警告一次</source>
        <translation>Warn only once</translation>
    </message>
    <message>
        <source>选择</source>
        <translation>Choose</translation>
    </message>
    <message>
        <source>试听</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>每隔</source>
        <translation>Every</translation>
    </message>
    <message>
        <source>秒声音提示一次</source>
        <translation>seconds between sounds</translation>
    </message>
    <message>
        <source>声音选择：</source>
        <translation>Sound:</translation>
    </message>
    <message>
        <source>网页检查:只检查下列之间的内容</source>
        <translation>Web page check: check only the content between</translation>
    </message>
    <message>
        <source>检查开始处1：</source>
        <translation>Check from 1:</translation>
    </message>
    <message>
        <source>检查结束处：</source>
        <translation>Check to:</translation>
    </message>
    <message>
        <source>开始处2：</source>
        <translation>Start 2:</translation>
    </message>
    <message>
        <source>网页检查:不检查下列之间的内容</source>
        <translation>Web page check: skip the content between</translation>
    </message>
    <message>
        <source>排除开始处</source>
        <translation>Exclude from</translation>
    </message>
    <message>
        <source>排除结束处</source>
        <translation>Exclude to</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Modify</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>放弃</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>测试失败：%1</source>
        <translation>Test failed: %1</translation>
    </message>
    <message>
        <source>停止测试</source>
        <translation>Stop Test</translation>
    </message>
    <message>
        <source>正在测试……</source>
        <translation>Testing…</translation>
    </message>
    <message>
        <source>测试已取消。</source>
        <translation>The test was cancelled.</translation>
    </message>
    <message>
        <source>测试成功：现在检查不会有新消息。</source>
        <translation>Test passed: a check now would find no new messages.</translation>
    </message>
    <message>
        <source>测试成功：现在检查会保存 %1 条新消息：</source>
        <translation>Test passed: a check now would save %1 new messages:</translation>
    </message>
    <message>
        <source>测试结果</source>
        <translation>Test result</translation>
    </message>
</context>
<context>
    <name>CPagingBar</name>
    <message>
        <source>删除选定的消息</source>
        <translation>Delete the selected messages</translation>
    </message>
    <message>
        <source>页次:</source>
        <translation>Page:</translation>
    </message>
    <message>
        <source>首页</source>
        <translation>First</translation>
    </message>
    <message>
        <source>上页</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>下页</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>尾页</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>未读</source>
        <translation>Unread</translation>
    </message>
    <message>
        <source>已读</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>所有</source>
        <translation>All</translation>
    </message>
    <message>
        <source>分页</source>
        <translation>Paging</translation>
    </message>
    <message>
        <source>页次</source>
        <translation>Page</translation>
    </message>
    <message>
        <source>消息数</source>
        <translation>Message count</translation>
    </message>
    <message>
        <source>读取状态: </source>
        <translation>Read state: </translation>
    </message>
    <message>
        <source>%1/%2页</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>每页:%1/共:%2条</source>
        <translation>Per page: %1 / total: %2</translation>
    </message>
    <message>
        <source>搜索 (Ctrl+F)</source>
        <translation>Search (Ctrl+F)</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>只显示主题、发送人、接受人或内容含有每个词的消息</source>
        <translation>Show only the messages whose subject, sender, recipient or content contains every word</translation>
    </message>
    <message>
        <source>正在建立搜索索引 %1%</source>
        <translation>Building the search index %1%</translation>
    </message>
</context>
<context>
    <name>CRunState</name>
    <message>
        <source>当前状态：空闲</source>
        <translation>Current status: idle</translation>
    </message>
</context>
<context>
    <name>CSystemSettingsDlg</name>
    <message>
        <source>自动检查的间隔分钟数</source>
        <translation>The automatic check interval in minutes</translation>
    </message>
    <message>
        <source>消息列表窗口每页消息数</source>
        <translation>The number of messages per page of the message list</translation>
    </message>
    <message>
        <source>自动标记为已读的秒数</source>
        <translation>The seconds before marking as read</translation>
    </message>
    <message>
        <source>须是 </source>
        <translation> must be a whole number between </translation>
    </message>
    <message>
        <source> 到 </source>
        <translation> and </translation>
    </message>
    <message>
        <source> 之间的整数。</source>
        <translation>.</translation>
    </message>
    <message>
        <source>注意</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>系统设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>检查选项</source>
        <translation>Checking</translation>
    </message>
    <message>
        <source>每隔</source>
        <translation>Every</translation>
    </message>
    <message>
        <source>分钟自动检查一次</source>
        <translation>minutes, check automatically</translation>
    </message>
    <message>
        <source>允许声音提示</source>
        <translation>Allow sound notification</translation>
    </message>
    <message>
        <source>新消息桌面通知</source>
        <translation>Desktop notification of new messages</translation>
    </message>
    <message>
        <source>窗口样式</source>
        <translation>Window layout</translation>
    </message>
    <message>
        <source>上二下一</source>
        <translation>Two above, one below</translation>
    </message>
    <message>
        <source>左一右二</source>
        <translation>One left, two right</translation>
    </message>
    <message>
        <source>(须重启程序)</source>
        <translation>(takes effect after a restart)</translation>
    </message>
    <message>
        <source>消息列表窗口每页消息数：</source>
        <translation>Messages per page of the message list:</translation>
    </message>
    <message>
        <source>启动</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Window启动时自动运行</source>
        <translation>Run automatically when the desktop session starts</translation>
    </message>
    <message>
        <source>界面语言：</source>
        <translation>Interface language:</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>界面语言</source>
        <translation>Interface language</translation>
    </message>
    <message>
        <source>其他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>每隔秒自动标记为已读：</source>
        <translation>Mark as read automatically after seconds:</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>放弃</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>(0 = 立即)</source>
        <translation>(0 = at once)</translation>
    </message>
    <message>
        <source>设置不能写入配置文件，下次启动时将恢复原来的设置。</source>
        <translation>The settings could not be written to the profile; the old settings come back at the next start.</translation>
    </message>
</context>
<context>
    <name>CTarvoApp</name>
    <message>
        <source>应用目录不存在: </source>
        <translation>The application directory does not exist: </translation>
    </message>
    <message>
        <source>不能打开数据库 </source>
        <translation>Cannot open the database </translation>
    </message>
    <message>
        <source>message.dat 不是本程序的数据库: </source>
        <translation>message.dat is not a database of this program: </translation>
    </message>
</context>
<context>
    <name>CTarvoDoc</name>
    <message>
        <source> 正在由另一个程序检查，这次跳过</source>
        <translation> is being checked by another program; skipped this time</translation>
    </message>
    <message>
        <source>您还有:</source>
        <translation>You have </translation>
    </message>
    <message>
        <source>条消息未读</source>
        <translation> unread messages</translation>
    </message>
    <message>
        <source>没有未读的消息</source>
        <translation>No unread messages</translation>
    </message>
    <message>
        <source>全部检查完毕！</source>
        <translation>All items checked!</translation>
    </message>
    <message>
        <source>检查已停止</source>
        <translation>Check stopped</translation>
    </message>
    <message>
        <source>对不起,此类消息必须通过相应的业务软件进行处理,不能通过这里设置为已读,打开相应的软件处理未作工作后,这条消息会自动改为“已读”!</source>
        <translation>Sorry, this kind of message must be dealt with in the application it comes from and cannot be marked read here. Once the pending work is done there, the message changes to &quot;read&quot; by itself!</translation>
    </message>
    <message>
        <source> 个项目检查失败</source>
        <translation> items failing</translation>
    </message>
</context>
<context>
    <name>CTarvoView</name>
    <message>
        <source>注意</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>请首先选择您所要删除的消息</source>
        <translation>Select the messages to delete first</translation>
    </message>
    <message>
        <source>请首先选择您所要处理的消息</source>
        <translation>Select the messages to work on first</translation>
    </message>
    <message>
        <source>请确认</source>
        <translation>Please confirm</translation>
    </message>
    <message>
        <source>已删除 </source>
        <translation>Deleted </translation>
    </message>
    <message>
        <source>已恢复 </source>
        <translation>Restored </translation>
    </message>
    <message>
        <source> 条消息</source>
        <translation> messages</translation>
    </message>
    <message>
        <source>没有可以撤销的删除</source>
        <translation>There is no deletion to undo</translation>
    </message>
    <message>
        <source>消息列表</source>
        <translation>Message list</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>移动到首页</source>
        <translation>Go to the first page</translation>
    </message>
    <message>
        <source>移动到前一页</source>
        <translation>Go to the previous page</translation>
    </message>
    <message>
        <source>移动到后一页</source>
        <translation>Go to the next page</translation>
    </message>
    <message>
        <source>移动到尾页</source>
        <translation>Go to the last page</translation>
    </message>
    <message>
        <source>删除已选消息      </source>
        <translation>Delete selected messages      </translation>
    </message>
    <message>
        <source>撤销删除</source>
        <translation>Undo delete</translation>
    </message>
    <message>
        <source>标记选中的为已读</source>
        <translation>Mark selected as read</translation>
    </message>
    <message>
        <source>标记选中的为未读</source>
        <translation>Mark selected as unread</translation>
    </message>
    <message>
        <source>标记所有的为已读</source>
        <translation>Mark all as read</translation>
    </message>
    <message>
        <source>标记所有的为未读</source>
        <translation>Mark all as unread</translation>
    </message>
    <message>
        <source>显示本机存储的内容</source>
        <translation>Show the content stored here</translation>
    </message>
    <message>
        <source>显示链接的远程信息</source>
        <translation>Show the linked remote content</translation>
    </message>
</context>
<context>
    <name>CWatchMessageView</name>
    <message>
        <source>切换是否显示消息的详细信息</source>
        <translation>Show or hide the message&apos;s details</translation>
    </message>
    <message>
        <source>显示这条消息存储的本地信息</source>
        <translation>Show what is stored here for this message</translation>
    </message>
    <message>
        <source>显示这条消息的链接的远程</source>
        <translation>Show the remote page this message links to</translation>
    </message>
    <message>
        <source>主题：</source>
        <translation>Subject:</translation>
    </message>
    <message>
        <source>---正在下载您所要浏览的项目......</source>
        <translation>--- Downloading the page you asked for......</translation>
    </message>
    <message>
        <source>无法写入消息内容的文件：</source>
        <translation>Cannot write the file of the message&apos;s content: </translation>
    </message>
    <message>
        <source>消息内容</source>
        <translation>Message content</translation>
    </message>
    <message>
        <source>变化</source>
        <translation>Changes</translation>
    </message>
    <message>
        <source>显示网页和上一份副本相比的变化</source>
        <translation>Show how the page changed since the previous copy</translation>
    </message>
    <message>
        <source>第一个检查项目</source>
        <translation>The first check item</translation>
    </message>
    <message>
        <source>点击 增加 添加第一个检查项目…</source>
        <translation>Click Add to add the first check item…</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>不能比较这条消息: </source>
        <translation>Cannot compare this message: </translation>
    </message>
</context>
<context>
    <name>CWebBrowser2</name>
    <message>
        <source>这个地址不能在这里显示：</source>
        <translation>This address cannot be shown here: </translation>
    </message>
    <message>
        <source>网页显示组件不能加载：</source>
        <translation>The web view could not be loaded: </translation>
    </message>
    <message>
        <source>消息内容</source>
        <translation>Message content</translation>
    </message>
</context>
<context>
    <name>CertificatePin</name>
    <message>
        <source>SHA-256 指纹 </source>
        <translation>SHA-256 fingerprint </translation>
    </message>
</context>
<context>
    <name>ChangeView</name>
    <message>
        <source>网页内容的变化</source>
        <translation>Changes in the page&apos;s content</translation>
    </message>
    <message>
        <source>这是该网页的第一份副本，下面是它的全部内容。</source>
        <translation>This is the first copy of the page; its whole content follows.</translation>
    </message>
    <message>
        <source>除了空白和排除的范围以外，没有变化。</source>
        <translation>Nothing changed apart from white space and the excluded ranges.</translation>
    </message>
    <message>
        <source>新的或者变化了的文件</source>
        <translation>New or changed files</translation>
    </message>
    <message>
        <source>新的数据</source>
        <translation>New data</translation>
    </message>
</context>
<context>
    <name>CheckCommands</name>
    <message>
        <source>新消息	</source>
        <translation>New message	</translation>
    </message>
    <message>
        <source>ID 或 --all</source>
        <translation>ID or --all</translation>
    </message>
    <message>
        <source>没有这个检查项目: </source>
        <translation>No such check item: </translation>
    </message>
    <message>
        <source>检查结果:</source>
        <translation>Check result: </translation>
    </message>
    <message>
        <source>
新消息:</source>
        <translation>
New: </translation>
    </message>
    <message>
        <source>条
</source>
        <translation> messages
</translation>
    </message>
    <message>
        <source>检查出错:</source>
        <translation>Failed: </translation>
    </message>
    <message>
        <source>项
</source>
        <translation> items
</translation>
    </message>
    <message>
        <source>--interval-seconds 必须大于 0</source>
        <translation>--interval-seconds must be greater than 0</translation>
    </message>
    <message>
        <source>状态变化	</source>
        <translation>State change	</translation>
    </message>
    <message>
        <source>试验检查: 新消息</source>
        <translation>Dry run: new messages: </translation>
    </message>
    <message>
        <source>条 (没有保存)
</source>
        <translation> (not saved)
</translation>
    </message>
    <message>
        <source>主题	</source>
        <translation>Subject	</translation>
    </message>
    <message>
        <source>试验检查失败: </source>
        <translation>Dry run failed: </translation>
    </message>
</context>
<context>
    <name>CheckLog</name>
    <message>
        <source>数据库拒绝了操作</source>
        <translation>the database refused the operation</translation>
    </message>
</context>
<context>
    <name>CliArgs</name>
    <message>
        <source>缺少参数: </source>
        <translation>Missing argument: </translation>
    </message>
    <message>
        <source>选项 </source>
        <translation>Option </translation>
    </message>
    <message>
        <source> 需要一个值</source>
        <translation> needs a value</translation>
    </message>
    <message>
        <source>多余的参数: </source>
        <translation>Unexpected argument: </translation>
    </message>
    <message>
        <source> 不是一个整数: </source>
        <translation> is not a whole number: </translation>
    </message>
</context>
<context>
    <name>CurlFailureText</name>
    <message>
        <source>找不到服务器 </source>
        <translation>cannot find the server </translation>
    </message>
    <message>
        <source>无法连接服务器 </source>
        <translation>cannot connect to the server </translation>
    </message>
    <message>
        <source>连接超时</source>
        <translation>the connection timed out</translation>
    </message>
    <message>
        <source>用户名或口令错误</source>
        <translation>wrong user name or password</translation>
    </message>
    <message>
        <source>证书不可信</source>
        <translation>the certificate is not trusted</translation>
    </message>
    <message>
        <source>无法建立加密连接</source>
        <translation>cannot set up an encrypted connection</translation>
    </message>
    <message>
        <source>服务器拒绝访问这个目录</source>
        <translation>the server refused access to this directory</translation>
    </message>
    <message>
        <source>地址格式不正确</source>
        <translation>the address is malformed</translation>
    </message>
    <message>
        <source>不支持这种地址</source>
        <translation>this kind of address is not supported</translation>
    </message>
    <message>
        <source>服务器没有返回任何内容</source>
        <translation>the server returned nothing</translation>
    </message>
    <message>
        <source>连接中断</source>
        <translation>the connection broke</translation>
    </message>
    <message>
        <source>服务器的回答无法识别</source>
        <translation>the server&apos;s answer cannot be understood</translation>
    </message>
    <message>
        <source>无法建立数据连接</source>
        <translation>cannot set up the data connection</translation>
    </message>
    <message>
        <source>网页转向次数太多</source>
        <translation>too many redirects</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>网络操作失败</source>
        <translation>the network operation failed</translation>
    </message>
</context>
<context>
    <name>DatabaseMonitor</name>
    <message>
        <source>正在进行自动检查：</source>
        <translation>Automatic check: </translation>
    </message>
    <message>
        <source>正在检查：</source>
        <translation>Checking: </translation>
    </message>
    <message>
        <source>错误：这个数据库检查的视图名称为空，不能进行自动检查</source>
        <translation>Error: the view name of this database check is empty; it cannot be checked</translation>
    </message>
    <message>
        <source>正在连接远程数据库</source>
        <translation>Connecting to the remote database</translation>
    </message>
    <message>
        <source>错误：不能链接到远程自动检查数据库－</source>
        <translation>Error: cannot connect to the remote database - </translation>
    </message>
    <message>
        <source>正在连接远程数据表 </source>
        <translation>Opening the remote table </translation>
    </message>
    <message>
        <source>错误：不能链接到远程自动检查数据库内的数据表 --- </source>
        <translation>Error: cannot reach the table in the remote database --- </translation>
    </message>
    <message>
        <source>正在提取远程数据表中的内容 </source>
        <translation>Reading the content of the remote table </translation>
    </message>
    <message>
        <source>错误：不能打开数据表中的内容 --- </source>
        <translation>Error: cannot open the content of the table --- </translation>
    </message>
    <message>
        <source>正在保存这些检查到的远程数据</source>
        <translation>Saving the remote data found</translation>
    </message>
    <message>
        <source>-&gt;检查完毕!</source>
        <translation> -&gt; check finished!</translation>
    </message>
    <message>
        <source>意外停止！</source>
        <translation>stopped unexpectedly!</translation>
    </message>
    <message>
        <source>错误：</source>
        <translation>Error: </translation>
    </message>
</context>
<context>
    <name>DbBackend</name>
    <message>
        <source>这个数据库不支持预编译语句</source>
        <translation>this database does not support prepared statements</translation>
    </message>
</context>
<context>
    <name>DeletedFindings</name>
    <message>
        <source>数据库拒绝了操作</source>
        <translation>the database refused the operation</translation>
    </message>
    <message>
        <source>数据库正忙</source>
        <translation>the database is busy</translation>
    </message>
    <message>
        <source>不能提交</source>
        <translation>cannot commit</translation>
    </message>
</context>
<context>
    <name>DisplayCheck</name>
    <message>
        <source>没有图形显示 (DISPLAY 和 WAYLAND_DISPLAY 都没有设置); 在终端里请用 wendar-cli</source>
        <translation>No graphical display (neither DISPLAY nor WAYLAND_DISPLAY is set); in a terminal, use wendar-cli</translation>
    </message>
    <message>
        <source>不能连接图形显示 </source>
        <translation>Cannot connect to the graphical display </translation>
    </message>
</context>
<context>
    <name>DryRun</name>
    <message>
        <source>这类项目不能检查</source>
        <translation>Items of this type cannot be checked</translation>
    </message>
    <message>
        <source>不能准备试验用的数据库: </source>
        <translation>Cannot prepare the trial database: </translation>
    </message>
    <message>
        <source>检查已停止</source>
        <translation>The check was stopped</translation>
    </message>
    <message>
        <source>没有临时目录</source>
        <translation>No temporary directory</translation>
    </message>
</context>
<context>
    <name>FrameMenus</name>
    <message>
        <source>导入新的检查项目	Ctrl+O</source>
        <translation>Import check items	Ctrl+O</translation>
    </message>
    <message>
        <source>导出选定的检查项目	Ctrl+S</source>
        <translation>Export the selected check items	Ctrl+S</translation>
    </message>
    <message>
        <source>打印(&amp;P)...	Ctrl+P</source>
        <translation>&amp;Print...	Ctrl+P</translation>
    </message>
    <message>
        <source>打印预览(&amp;V)</source>
        <translation>Print Pre&amp;view</translation>
    </message>
    <message>
        <source>打印设置(&amp;R)...</source>
        <translation>P&amp;rint Setup...</translation>
    </message>
    <message>
        <source>允许自动检查</source>
        <translation>Allow automatic checking</translation>
    </message>
    <message>
        <source>系统设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>增加一个项目</source>
        <translation>Add an item</translation>
    </message>
    <message>
        <source>修改这个项目</source>
        <translation>Modify this item</translation>
    </message>
    <message>
        <source>删除这个项目</source>
        <translation>Delete this item</translation>
    </message>
    <message>
        <source>允许这个项目 	 CTRL+E</source>
        <translation>Enable this item 	 CTRL+E</translation>
    </message>
    <message>
        <source>禁止这个项目</source>
        <translation>Disable this item</translation>
    </message>
    <message>
        <source>开始检查此项目</source>
        <translation>Check this item now</translation>
    </message>
    <message>
        <source>启动所有的检查项目</source>
        <translation>Check all items</translation>
    </message>
    <message>
        <source>停止当前检查</source>
        <translation>Stop the current check</translation>
    </message>
    <message>
        <source>移动到首页</source>
        <translation>Go to the first page</translation>
    </message>
    <message>
        <source>移动到前一页</source>
        <translation>Go to the previous page</translation>
    </message>
    <message>
        <source>移动到后一页</source>
        <translation>Go to the next page</translation>
    </message>
    <message>
        <source>移动到尾页</source>
        <translation>Go to the last page</translation>
    </message>
    <message>
        <source>删除已选消息      </source>
        <translation>Delete selected messages      </translation>
    </message>
    <message>
        <source>撤销删除	Ctrl+Z</source>
        <translation>Undo delete	Ctrl+Z</translation>
    </message>
    <message>
        <source>标记选中为已读</source>
        <translation>Mark selected as read</translation>
    </message>
    <message>
        <source>标记选中为未读</source>
        <translation>Mark selected as unread</translation>
    </message>
    <message>
        <source>标记所有为已读</source>
        <translation>Mark all as read</translation>
    </message>
    <message>
        <source>标记所有为未读</source>
        <translation>Mark all as unread</translation>
    </message>
    <message>
        <source>工具栏(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>状态栏(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>消息细节(&amp;D)</source>
        <translation>Message &amp;Details</translation>
    </message>
    <message>
        <source>关于 Wendar(&amp;A)...</source>
        <translation>&amp;About Wendar...</translation>
    </message>
    <message>
        <source>帮助信息(&amp;H)...</source>
        <translation>&amp;Help...</translation>
    </message>
    <message>
        <source>系统(&amp;F)</source>
        <translation>&amp;System</translation>
    </message>
    <message>
        <source>查看(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>打开主窗口</source>
        <translation>Open the main window</translation>
    </message>
    <message>
        <source>禁止自动检查</source>
        <translation>Disable automatic checking</translation>
    </message>
    <message>
        <source>新消息声音提示</source>
        <translation>Sound on new messages</translation>
    </message>
    <message>
        <source>现在开始检查...</source>
        <translation>Check now...</translation>
    </message>
    <message>
        <source>每隔15分钟自动检查</source>
        <translation>Check every 15 minutes</translation>
    </message>
    <message>
        <source>每隔30分钟自动检查</source>
        <translation>Check every 30 minutes</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>显示全部消息</source>
        <translation>Show all messages</translation>
    </message>
    <message>
        <source>显示未读消息</source>
        <translation>Show unread messages</translation>
    </message>
    <message>
        <source>显示已读消息</source>
        <translation>Show read messages</translation>
    </message>
    <message>
        <source>任务栏图标区菜单</source>
        <translation>Tray menu</translation>
    </message>
    <message>
        <source>下一条未读消息</source>
        <translation>Next Unread Message</translation>
    </message>
    <message>
        <source>检查项目(&amp;C)</source>
        <translation>&amp;Check Items</translation>
    </message>
    <message>
        <source>消息(&amp;M)</source>
        <translation>&amp;Messages</translation>
    </message>
</context>
<context>
    <name>FtpMonitor</name>
    <message>
        <source>正在检查</source>
        <translation>Checking </translation>
    </message>
    <message>
        <source>-&gt;连接服务器</source>
        <translation> -&gt; connecting to the server</translation>
    </message>
    <message>
        <source>-&gt;正在连接ＦＴＰ服务器</source>
        <translation> -&gt; connecting to the FTP server</translation>
    </message>
    <message>
        <source>-&gt;正在读取目录</source>
        <translation> -&gt; reading the directory</translation>
    </message>
    <message>
        <source>-&gt;正在检索文件</source>
        <translation> -&gt; looking through the files</translation>
    </message>
    <message>
        <source>-&gt;检查完毕</source>
        <translation> -&gt; check finished</translation>
    </message>
    <message>
        <source>检查</source>
        <translation>Check</translation>
    </message>
    <message>
        <source> 时意外停止</source>
        <translation> stopped unexpectedly</translation>
    </message>
    <message>
        <source> 时发生意外错误:</source>
        <translation> failed unexpectedly: </translation>
    </message>
</context>
<context>
    <name>HealthOutput</name>
    <message>
        <source>检查时间	用时(毫秒)	方式	结果	新消息	说明
</source>
        <translation>Checked at	Duration (ms)	By	Result	New messages	Details
</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>failing</translation>
    </message>
    <message>
        <source>恢复</source>
        <translation>recovered</translation>
    </message>
    <message>
        <source>沉寂</source>
        <translation>silent</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>ok</translation>
    </message>
</context>
<context>
    <name>ITickActions</name>
    <message>
        <source>现在正在检查</source>
        <translation>Checking now</translation>
    </message>
</context>
<context>
    <name>ItemCommands</name>
    <message>
        <source>检查项目没有保存</source>
        <translation>The check item was not saved</translation>
    </message>
    <message>
        <source> 的值不允许: </source>
        <translation> does not allow the value: </translation>
    </message>
    <message>
        <source>选项 </source>
        <translation>Option </translation>
    </message>
    <message>
        <source> 需要一个值</source>
        <translation> needs a value</translation>
    </message>
    <message>
        <source>--interval-minutes 超出范围: </source>
        <translation>--interval-minutes out of range: </translation>
    </message>
    <message>
        <source>未知的选项: </source>
        <translation>Unknown option: </translation>
    </message>
    <message>
        <source> 必须大于 0</source>
        <translation> must be greater than 0</translation>
    </message>
    <message>
        <source>没有这个检查项目: </source>
        <translation>No such check item: </translation>
    </message>
    <message>
        <source>允许</source>
        <translation>enabled</translation>
    </message>
    <message>
        <source>禁止</source>
        <translation>disabled</translation>
    </message>
    <message>
        <source>新的检查项目需要 --name</source>
        <translation>A new check item needs --name</translation>
    </message>
    <message>
        <source>没有要修改的字段</source>
        <translation>No field to change</translation>
    </message>
    <message>
        <source>子命令</source>
        <translation>subcommand</translation>
    </message>
    <message>
        <source>未知的子命令: items </source>
        <translation>Unknown subcommand: items </translation>
    </message>
    <message>
        <source>编号	类型	名称	链接地址	排除范围
</source>
        <translation>ID	Type	Name	Address	Exclusions
</translation>
    </message>
    <message>
        <source>编号	类型	状态	名称	链接地址	未读	健康	上次检查
</source>
        <translation>ID	Type	State	Name	Address	Unread	Health	Last check
</translation>
    </message>
    <message>
        <source>--expect-minutes 超出范围: </source>
        <translation>--expect-minutes out of range: </translation>
    </message>
    <message>
        <source>--trust-certificate 需要证书的 SHA-256 指纹 (64 位十六进制数): </source>
        <translation>--trust-certificate needs the certificate&apos;s SHA-256 fingerprint (64 hexadecimal digits): </translation>
    </message>
</context>
<context>
    <name>ItemOptions</name>
    <message>
        <source>数据库拒绝了操作</source>
        <translation>the database refused the operation</translation>
    </message>
</context>
<context>
    <name>ItemRules</name>
    <message>
        <source>名称不能为空</source>
        <translation>The name cannot be empty</translation>
    </message>
    <message>
        <source>链接地址只能有一行</source>
        <translation>The address can only be one line</translation>
    </message>
    <message>
        <source>端口号必须是 1 到 65535 之间的整数，或者不填（默认端口）</source>
        <translation>The port must be a whole number from 1 to 65535, or empty (the default port)</translation>
    </message>
    <message>
        <source>检查最新消息条数必须是 0 到 10000 之间的整数 (0 = 全部)</source>
        <translation>The number of newest messages to check must be a whole number from 0 to 10000 (0 = all)</translation>
    </message>
    <message>
        <source>声音提示间隔必须是 -1（不提示）、0（只提示一次）或秒数</source>
        <translation>The sound notification interval must be -1 (no sound), 0 (once only) or a number of seconds</translation>
    </message>
    <message>
        <source>排除开始处和排除结束处都不能为空</source>
        <translation>Neither the start nor the end of an exclusion can be empty</translation>
    </message>
    <message>
        <source>类型必须是 1 (数据库)、2 (网页)、3 (FTP) 或 4 (邮件)</source>
        <translation>The type must be 1 (database), 2 (web page), 3 (FTP) or 4 (mail)</translation>
    </message>
    <message>
        <source>您必须输入您的“用户身份标示”</source>
        <translation>You must enter your &quot;user identity&quot;</translation>
    </message>
    <message>
        <source>您所输入的链接地址错误:数据库类型必须是:Driver=.....</source>
        <translation>The address you entered is wrong: a database watch needs Driver=.....</translation>
    </message>
    <message>
        <source>您所输入的链接地址错误:网页监视类型必须是:HTTP://.....或HTTPS://.....</source>
        <translation>The address you entered is wrong: a web page watch needs HTTP://..... or HTTPS://.....</translation>
    </message>
    <message>
        <source>您所输入的链接地址错误:FTP监视类型必须是:FTP://.....</source>
        <translation>The address you entered is wrong: an FTP watch needs FTP://.....</translation>
    </message>
</context>
<context>
    <name>ItemTransfer</name>
    <message>
        <source>不能读取文件 </source>
        <translation>Cannot read the file </translation>
    </message>
    <message>
        <source>不能写入文件 </source>
        <translation>Cannot write the file </translation>
    </message>
    <message>
        <source>文件太大: </source>
        <translation>The file is too large: </translation>
    </message>
    <message>
        <source>没有这个检查项目: </source>
        <translation>No such check item: </translation>
    </message>
</context>
<context>
    <name>ItemsFile</name>
    <message>
        <source>文件太大, 最多 %1 字节</source>
        <translation>The file is too large; at most %1 bytes</translation>
    </message>
    <message>
        <source>不是有效的 JSON: %1 (第 %2 个字节)</source>
        <translation>Not valid JSON: %1 (at byte %2)</translation>
    </message>
    <message>
        <source>不是 Wendar 的检查项目文件 (缺少 &quot;format&quot;: &quot;wendar-items&quot;)</source>
        <translation>Not a Wendar check item file (&quot;format&quot;: &quot;wendar-items&quot; is missing)</translation>
    </message>
    <message>
        <source>检查项目文件的版本 %1 不能读取, 本程序读取版本 1</source>
        <translation>Version %1 of the check item file cannot be read; this program reads version 1</translation>
    </message>
    <message>
        <source>检查项目太多, 最多 %1 个</source>
        <translation>Too many check items; at most %1</translation>
    </message>
    <message>
        <source>%1 的值不对</source>
        <translation>The value of %1 is wrong</translation>
    </message>
    <message>
        <source>排除范围太多, 最多 %1 个</source>
        <translation>Too many excluded ranges; at most %1</translation>
    </message>
    <message>
        <source>不是网页任务 (%1)</source>
        <translation>Not a web page job (%1)</translation>
    </message>
    <message>
        <source>没有 url</source>
        <translation>No url</translation>
    </message>
</context>
<context>
    <name>LocalDatabase</name>
    <message>
        <source> 不是一个文件</source>
        <translation> is not a file</translation>
    </message>
    <message>
        <source>不能更新数据库文件 </source>
        <translation>Cannot update the database file </translation>
    </message>
    <message>
        <source>不能创建数据库文件 </source>
        <translation>Cannot create the database file </translation>
    </message>
</context>
<context>
    <name>MailMonitor</name>
    <message>
        <source>正在检查</source>
        <translation>Checking </translation>
    </message>
    <message>
        <source>-&gt;连接服务器</source>
        <translation> -&gt; connecting to the server</translation>
    </message>
    <message>
        <source>-&gt;正在连接电子邮件服务器</source>
        <translation> -&gt; connecting to the mail server</translation>
    </message>
    <message>
        <source>-&gt;正在使用您的用户名登录电子邮件服务器</source>
        <translation> -&gt; logging in to the mail server with your user name</translation>
    </message>
    <message>
        <source>-&gt;正在读取 </source>
        <translation> -&gt; reading </translation>
    </message>
    <message>
        <source>信件</source>
        <translation> letters</translation>
    </message>
    <message>
        <source>检查</source>
        <translation>Check</translation>
    </message>
    <message>
        <source> 时意外停止</source>
        <translation> stopped unexpectedly</translation>
    </message>
    <message>
        <source>检查 </source>
        <translation>Checking </translation>
    </message>
    <message>
        <source> 时发生错误:-&gt;</source>
        <translation> failed: </translation>
    </message>
    <message>
        <source>用户名或者口令不正确-</source>
        <translation>wrong user name or password - </translation>
    </message>
    <message>
        <source>-&gt;检查完毕</source>
        <translation> -&gt; check finished</translation>
    </message>
</context>
<context>
    <name>MessageCommands</name>
    <message>
        <source>已删除</source>
        <translation>Deleted</translation>
    </message>
    <message>
        <source>已恢复</source>
        <translation>Restored</translation>
    </message>
    <message>
        <source>没有可以撤销的删除</source>
        <translation>There is no deletion to undo</translation>
    </message>
    <message>
        <source>消息编号</source>
        <translation>message ID</translation>
    </message>
    <message>
        <source>消息编号必须大于 0: </source>
        <translation>A message ID must be greater than 0: </translation>
    </message>
    <message>
        <source>没有这个检查项目: </source>
        <translation>No such check item: </translation>
    </message>
    <message>
        <source>不能读取消息 </source>
        <translation>Cannot read message </translation>
    </message>
    <message>
        <source>没有这条消息: </source>
        <translation>No such message: </translation>
    </message>
    <message>
        <source>缺少消息编号</source>
        <translation>Missing message ID</translation>
    </message>
    <message>
        <source>应为 read 或 unread: </source>
        <translation>Expected read or unread: </translation>
    </message>
    <message>
        <source>--filter 取 all、unread 或 read: </source>
        <translation>--filter takes all, unread or read: </translation>
    </message>
    <message>
        <source>不能读取消息列表
</source>
        <translation>Cannot read the message list
</translation>
    </message>
    <message>
        <source>编号	状态	类型	日期时间	发送人	主题	接受人
</source>
        <translation>ID	Status	Type	Date and time	Sender	Subject	Recipient
</translation>
    </message>
    <message>
        <source>未读</source>
        <translation>Unread</translation>
    </message>
    <message>
        <source>已读</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>页  每页:</source>
        <translation> pages, per page: </translation>
    </message>
    <message>
        <source>/共:</source>
        <translation> / total: </translation>
    </message>
    <message>
        <source>条
</source>
        <translation> messages
</translation>
    </message>
    <message>
        <source>
状态	</source>
        <translation>
Status	</translation>
    </message>
    <message>
        <source>
类型	</source>
        <translation>
Type	</translation>
    </message>
    <message>
        <source>
类别	</source>
        <translation>
Category	</translation>
    </message>
    <message>
        <source>
日期时间	</source>
        <translation>
Date and time	</translation>
    </message>
    <message>
        <source>
来源日期	</source>
        <translation>
Source date	</translation>
    </message>
    <message>
        <source>
发送人	</source>
        <translation>
Sender	</translation>
    </message>
    <message>
        <source>&gt;
接受人	</source>
        <translation>&gt;
Recipient	</translation>
    </message>
    <message>
        <source>&gt;
主题	</source>
        <translation>&gt;
Subject	</translation>
    </message>
    <message>
        <source>
链接	</source>
        <translation>
Link	</translation>
    </message>
    <message>
        <source>注意: </source>
        <translation>Note: </translation>
    </message>
    <message>
        <source>正在建立搜索索引: </source>
        <translation>Building the search index: </translation>
    </message>
</context>
<context>
    <name>MessageDetailText</name>
    <message>
        <source>还未选择</source>
        <translation>Nothing selected yet</translation>
    </message>
    <message>
        <source>检测日期:</source>
        <translation>Found on:</translation>
    </message>
    <message>
        <source>类型:</source>
        <translation>Type:</translation>
    </message>
    <message>
        <source>消息日期:</source>
        <translation>Message date:</translation>
    </message>
    <message>
        <source>发送人:</source>
        <translation>Sender:</translation>
    </message>
    <message>
        <source>接收人:</source>
        <translation>Recipient:</translation>
    </message>
    <message>
        <source>选择一条消息，它的内容会显示在这里。</source>
        <translation>Select a message; its content is shown here.</translation>
    </message>
</context>
<context>
    <name>MessageInfo</name>
    <message>
        <source>数据库监视</source>
        <translation>Database watch</translation>
    </message>
    <message>
        <source>网页监视</source>
        <translation>Web page watch</translation>
    </message>
    <message>
        <source>FTP监视</source>
        <translation>FTP watch</translation>
    </message>
    <message>
        <source>其他监视</source>
        <translation>Other watch</translation>
    </message>
    <message>
        <source>系统广播</source>
        <translation>System broadcast</translation>
    </message>
</context>
<context>
    <name>MessageTable</name>
    <message>
        <source>数据库正忙</source>
        <translation>the database is busy</translation>
    </message>
    <message>
        <source>不能提交</source>
        <translation>cannot commit</translation>
    </message>
    <message>
        <source>不能读取消息</source>
        <translation>cannot read the messages</translation>
    </message>
    <message>
        <source>不能读取数据库的版本</source>
        <translation>cannot read the database&apos;s version</translation>
    </message>
</context>
<context>
    <name>MessageTypeForm</name>
    <message>
        <source>您必须输入您的“用户身份标示”</source>
        <translation>You must enter your &quot;user identity&quot;</translation>
    </message>
    <message>
        <source>属性信息错误</source>
        <translation>Invalid properties</translation>
    </message>
    <message>
        <source>端口号&#x3000;:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>链接视图:</source>
        <translation>View:</translation>
    </message>
</context>
<context>
    <name>PasswordInput</name>
    <message>
        <source>口令: </source>
        <translation>Password: </translation>
    </message>
    <message>
        <source>标准输入中的口令太长</source>
        <translation>The password on standard input is too long</translation>
    </message>
    <message>
        <source>没有读到口令</source>
        <translation>No password was read</translation>
    </message>
</context>
<context>
    <name>Pop3FailureText</name>
    <message>
        <source>无法建立网络连接</source>
        <translation>cannot set up a network connection</translation>
    </message>
    <message>
        <source>找不到服务器 </source>
        <translation>cannot find the server </translation>
    </message>
    <message>
        <source>无法连接服务器 </source>
        <translation>cannot connect to the server </translation>
    </message>
    <message>
        <source>连接超时</source>
        <translation>the connection timed out</translation>
    </message>
    <message>
        <source>证书不可信</source>
        <translation>the certificate is not trusted</translation>
    </message>
    <message>
        <source>无法建立加密连接</source>
        <translation>cannot set up an encrypted connection</translation>
    </message>
    <message>
        <source>服务器拒绝连接</source>
        <translation>the server refused the connection</translation>
    </message>
    <message>
        <source>用户名或口令错误</source>
        <translation>wrong user name or password</translation>
    </message>
    <message>
        <source>服务器拒绝了命令</source>
        <translation>the server refused a command</translation>
    </message>
    <message>
        <source>服务器没有及时回答</source>
        <translation>the server did not answer in time</translation>
    </message>
    <message>
        <source>服务器断开了连接</source>
        <translation>the server closed the connection</translation>
    </message>
    <message>
        <source>服务器的回答太长</source>
        <translation>the server&apos;s answer is too long</translation>
    </message>
    <message>
        <source>用户名或口令里不能有换行</source>
        <translation>the user name or password cannot contain a line break</translation>
    </message>
    <message>
        <source>邮件检查出错</source>
        <translation>the mail check failed</translation>
    </message>
    <message>
        <source>检查已停止</source>
        <translation>Check stopped</translation>
    </message>
</context>
<context>
    <name>PrivateFile</name>
    <message>
        <source>不能创建目录 </source>
        <translation>Cannot create the directory </translation>
    </message>
    <message>
        <source>不能打开目录 </source>
        <translation>Cannot open the directory </translation>
    </message>
    <message>
        <source>不能读取目录 </source>
        <translation>Cannot read the directory </translation>
    </message>
    <message>
        <source>目录 </source>
        <translation>The directory </translation>
    </message>
    <message>
        <source> 不属于当前用户</source>
        <translation> does not belong to the current user</translation>
    </message>
    <message>
        <source>不能设置目录权限 </source>
        <translation>Cannot set the permissions of the directory </translation>
    </message>
    <message>
        <source>不能创建文件 </source>
        <translation>Cannot create the file </translation>
    </message>
    <message>
        <source>不能写入文件 </source>
        <translation>Cannot write the file </translation>
    </message>
</context>
<context>
    <name>PulseSoundPlayer</name>
    <message>
        <source>新消息提示音</source>
        <translation>New message sound</translation>
    </message>
</context>
<context>
    <name>RunFindings</name>
    <message>
        <source>Wendar: %1 条新消息</source>
        <translation>Wendar: %1 new messages</translation>
    </message>
    <message>
        <source>%1: %2 条</source>
        <translation>%1: %2 new</translation>
    </message>
</context>
<context>
    <name>ScratchCopy</name>
    <message>
        <source>数据库拒绝了操作</source>
        <translation>the database refused the operation</translation>
    </message>
</context>
<context>
    <name>SearchIndex</name>
    <message>
        <source>数据库正忙</source>
        <translation>the database is busy</translation>
    </message>
</context>
<context>
    <name>SettingsCommand</name>
    <message>
        <source>没有这个设置: </source>
        <translation>No such setting: </translation>
    </message>
    <message>
        <source>UserType 只能读取，不能设置</source>
        <translation>UserType can only be read, not set</translation>
    </message>
    <message>
        <source> 的值不允许: </source>
        <translation> does not allow the value: </translation>
    </message>
    <message>
        <source>（</source>
        <translation> (</translation>
    </message>
    <message>
        <source>）</source>
        <translation>)</translation>
    </message>
    <message>
        <source>不能写入设置文件
</source>
        <translation>Cannot write the settings file
</translation>
    </message>
</context>
<context>
    <name>SqliteBackend</name>
    <message>
        <source>不能打开数据库文件 </source>
        <translation>Cannot open the database file </translation>
    </message>
</context>
<context>
    <name>StoreFinding</name>
    <message>
        <source>本地数据库读写失败</source>
        <translation>Reading or writing the local database failed</translation>
    </message>
</context>
<context>
    <name>TransferCommands</name>
    <message>
        <source>增加了 %1 个检查项目</source>
        <translation>Added %1 check items</translation>
    </message>
    <message>
        <source>跳过</source>
        <translation>Skipped</translation>
    </message>
    <message>
        <source>-o 需要一个文件名</source>
        <translation>-o needs a file name</translation>
    </message>
    <message>
        <source>ID 必须大于 0</source>
        <translation>ID must be greater than 0</translation>
    </message>
</context>
<context>
    <name>UrlwatchJobs</name>
    <message>
        <source>不是有效的 YAML: </source>
        <translation>Not valid YAML: </translation>
    </message>
    <message>
        <source> (第 %1 行)</source>
        <translation> (line %1)</translation>
    </message>
    <message>
        <source>任务太多, 最多 </source>
        <translation>Too many jobs; at most </translation>
    </message>
    <message>
        <source>不是一个任务 (应为 名称: 值 的映射)</source>
        <translation>Not a job (it should be a mapping of name: value)</translation>
    </message>
    <message>
        <source>内容太长</source>
        <translation>The content is too long</translation>
    </message>
    <message>
        <source>不是有效的任务文件: 嵌套太深</source>
        <translation>Not a valid jobs file: nested too deeply</translation>
    </message>
</context>
<context>
    <name>WebMonitor</name>
    <message>
        <source>正在检查</source>
        <translation>Checking </translation>
    </message>
    <message>
        <source>-&gt;连接服务器</source>
        <translation> -&gt; connecting to the server</translation>
    </message>
    <message>
        <source>-&gt;正在从服务器下载</source>
        <translation> -&gt; downloading from the server</translation>
    </message>
    <message>
        <source>-&gt;正在读取服务器内容</source>
        <translation> -&gt; reading the server&apos;s content</translation>
    </message>
    <message>
        <source>-&gt;正在比较新旧内容</source>
        <translation> -&gt; comparing the new and the old content</translation>
    </message>
    <message>
        <source>-&gt;保存新数据</source>
        <translation> -&gt; saving the new data</translation>
    </message>
    <message>
        <source>-&gt;检查完毕</source>
        <translation> -&gt; check finished</translation>
    </message>
    <message>
        <source>检查</source>
        <translation>Check</translation>
    </message>
    <message>
        <source> 时发生意外错误</source>
        <translation> failed unexpectedly</translation>
    </message>
    <message>
        <source> 时发生意外错误：</source>
        <translation> failed unexpectedly: </translation>
    </message>
    <message>
        <source>网页返回错误 </source>
        <translation>The page returned error </translation>
    </message>
    <message>
        <source>网页没有内容</source>
        <translation>The page has no content</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>不能读取检查项目</source>
        <translation>Cannot read the check items</translation>
    </message>
    <message>
        <source>未知的命令: </source>
        <translation>Unknown command: </translation>
    </message>
    <message>
        <source>已经在运行: 窗口已显示</source>
        <translation>already running: its window is shown</translation>
    </message>
    <message>
        <source>已经在运行</source>
        <translation>already running</translation>
    </message>
    <message>
        <source>用法: wendar-cli [--home DIR] [--json] [--show-password] COMMAND
       wendar-cli --version | --help
  items                         列出检查项目 (编号, 类型, 状态, 名称, 地址, 未读, 健康, 上次检查)
  items show ID                 一个项目的全部字段, 健康和最近 20 次检查的记录
  items add OPTIONS             增加检查项目, 输出新的编号
  items set ID OPTIONS          修改检查项目的给定字段
  items delete ID               删除检查项目和它的消息
  items export [ID...] [--with-passwords] [-o FILE]
                                把检查项目 (或全部) 和排除范围写成检查项目文件 (JSON; 默认写到
                                标准输出); 口令只在给出 --with-passwords 时写入, 文件权限为 0600
  items import FILE             从检查项目文件或 urlwatch 的 urls.yaml 增加检查项目
  presets                       messagetype.dat 中的预制项目
  messages [--item ID] [--filter all|unread|read] [--page N] [--search TEXT]
                                --search: 主题、发送人、接受人或内容含有 TEXT 的每个词的消息
  message ID [--diff]           一条消息的全部内容; --diff: 变化 (+ 新增, - 删除)
  mark read|unread ID...
  mark-all read|unread [--item ID]
  delete ID...                  删除消息, 输出删除了的消息 (编号, 主题)
  undo                          撤销最后一次删除 (删除了的消息再检查时不会作为新消息出现)
  settings [KEY VALUE]          显示设置, 或设置其中一项
  check [ID | --all]            检查一个或全部项目; 有项目检查出错时退出状态为 1
  check ID --dry-run            试验检查: 显示会保存什么, 不写数据库
  watch [--interval-seconds N]  定时检查到时的项目 (本项目的间隔, 失败后的等待), 直到 Ctrl-C
OPTIONS: --name --category --address --user --password --view --identity --state
         --interval-minutes --check-number --display --notify --sound --include-from
         --include-to --about --must-have-id --exclude FROM TO (可重复; 替换全部排除范围)
         --own-schedule 0|1 (按本项目的间隔检查) --expect-minutes N (多久没有新消息算沉寂; 0 不用)
         --trust-certificate SHA256|none (信任这一个服务器证书)
         --password - 从标准输入读取口令 (在终端上提示, 不回显)
         --interval-minutes (CheckInterval): --own-schedule 1 的项目的检查间隔; 其他项目随定时
         检查 (设置 AutoCheckInterval). 只保存的字段: --about, --must-have-id, --display (只影响显示)
--show-password  显示保存的密码 (Password 和地址里的密码); 否则显示为 ******
数据目录: --home DIR, 或 $WENDAR_HOME, 或 $XDG_DATA_HOME/wendar (~/.local/share/wendar);
         其中没有的 messagetype.dat、声音和帮助取自程序的资源目录
退出状态: 0 成功, 1 操作或检查失败, 2 输入错误
</source>
        <translation>Usage: wendar-cli [--home DIR] [--json] [--show-password] COMMAND
       wendar-cli --version | --help
  items                         list the check items (ID, type, state, name, address, unread, health, last check)
  items show ID                 all fields of one item, its health and its last 20 checks
  items add OPTIONS             add a check item, print its new ID
  items set ID OPTIONS          change the given fields of a check item
  items delete ID               delete a check item and its messages
  items export [ID...] [--with-passwords] [-o FILE]
                                write the check items (or all) with their excluded ranges as a check item
                                file (JSON; to standard output by default); passwords are written only
                                with --with-passwords, and the file is then readable only by you (0600)
  items import FILE             add check items from a check item file or urlwatch&apos;s urls.yaml
  presets                       the preset items in messagetype.dat
  messages [--item ID] [--filter all|unread|read] [--page N] [--search TEXT]
                                --search: the messages whose subject, sender, recipient or content
                                contains every word of TEXT
  message ID [--diff]           the whole content of one message; --diff: the changes (+ added, - removed)
  mark read|unread ID...
  mark-all read|unread [--item ID]
  delete ID...                  delete messages, print the deleted ones (ID, subject)
  undo                          undo the last deletion (deleted messages do not come back as new when checked again)
  settings [KEY VALUE]          show the settings, or set one of them
  check [ID | --all]            check one or all items; exit status 1 when a check fails
  check ID --dry-run            dry run: show what a check would save, without writing the database
  watch [--interval-seconds N]  check the items that are due (own interval, waiting after failures), until Ctrl-C
OPTIONS: --name --category --address --user --password --view --identity --state
         --interval-minutes --check-number --display --notify --sound --include-from
         --include-to --about --must-have-id --exclude FROM TO (repeatable; replaces all exclusions)
         --own-schedule 0|1 (check at the item&apos;s own interval) --expect-minutes N (how long without
         new messages counts as silent; 0 off)
         --trust-certificate SHA256|none (trust this one server certificate)
         --password - reads the password from standard input (prompted on a terminal, not echoed)
         --interval-minutes (CheckInterval): the check interval of items with --own-schedule 1; other
         items follow the timer (setting AutoCheckInterval). Fields only stored: --about,
         --must-have-id, --display (display only)
--show-password  show stored passwords (Password and passwords in addresses); otherwise shown as ******
Data directory: --home DIR, or $WENDAR_HOME, or $XDG_DATA_HOME/wendar (~/.local/share/wendar);
         messagetype.dat, sounds and help missing there are taken from the program&apos;s resource directory
Exit status: 0 success, 1 an operation or check failed, 2 wrong input
</translation>
    </message>
    <message>
        <source>用法: wendar [--home DIR] [/R]
  /R           启动后只显示在通知区域 (自动启动时使用)
  --home DIR   数据目录 (默认 $WENDAR_HOME 或 $XDG_DATA_HOME/wendar)
  --version    显示版本
  --help       显示这个说明
命令行的操作请用 wendar-cli.
</source>
        <translation>Usage: wendar [--home DIR] [/R]
  /R           after starting, show only in the notification area (used when started at login)
  --home DIR   data directory (default $WENDAR_HOME or $XDG_DATA_HOME/wendar)
  --version    show the version
  --help       show this help
For command-line operations use wendar-cli.
</translation>
    </message>
</context>
</TS>
