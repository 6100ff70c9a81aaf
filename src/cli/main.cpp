// wendar-cli: the check items, messages, settings and check runs of Wendar, from a shell.
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "platform/PulseSoundPlayer.h"

#include <csignal>
#include <curl/curl.h>
#include <iostream>
#include <map>

namespace {

#ifndef WENDAR_VERSION
#define WENDAR_VERSION "0"
#endif

constexpr const char* kUsage = R"(用法: wendar-cli [--home DIR] [--json] [--show-password] COMMAND
       wendar-cli --version | --help
  items                         列出检查项目 (编号, 类型, 状态, 名称, 地址, 未读, 健康, 上次检查)
  items show ID                 一个项目的全部字段, 健康和最近 20 次检查的记录
  items add OPTIONS             增加检查项目, 输出新的编号
  items set ID OPTIONS          修改检查项目的给定字段
  items delete ID               删除检查项目和它的消息
  presets                       messagetype.dat 中的预制项目
  messages [--item ID] [--filter all|unread|read] [--page N]
  message ID                    一条消息的全部内容
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
)";

} // namespace

CTarvoDoc& CliContext::Doc()
{
    if (!doc) {
        doc = app.MakeDocument(std::make_shared<PulseSoundPlayer>());
        doc->SetCheckTrigger(CheckTrigger::Cli);
        if (!doc->LoadItems()) {
            throw UsageError("不能读取检查项目");
        }
    }
    return *doc;
}

int main(int argc, char** argv)
{
    // Signals are taken by the check commands with sigtimedwait; no thread may get them first.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    curl_global_init(CURL_GLOBAL_ALL);

    CliArgs args(std::vector<std::string>(argv + 1, argv + argc));
    int status = 0;
    try {
        const std::string home = args.TakeOption("--home").value_or("");
        const bool json = args.TakeFlag("--json");
        const bool showPassword = args.TakeFlag("--show-password");
        if (args.TakeFlag("--help") || args.TakeFlag("-h")) {
            std::cout << kUsage;
            return 0;
        }
        if (args.TakeFlag("--version")) {
            std::cout << "wendar-cli " WENDAR_VERSION "\n";
            return 0;
        }
        if (args.Empty()) {
            std::cerr << kUsage;
            return 2;
        }
        const std::string command = args.Next("COMMAND");
        using Handler = int (*)(CliContext&, CliArgs&);
        static const std::map<std::string, Handler> handlers = {
            {"items", &RunItemsCommand},     {"presets", &RunPresetsCommand},   {"messages", &RunMessagesCommand},
            {"message", &RunMessageCommand}, {"mark", &RunMarkCommand},         {"mark-all", &RunMarkAllCommand},
            {"delete", &RunDeleteCommand},   {"settings", &RunSettingsCommand}, {"check", &RunCheckCommand},
            {"watch", &RunWatchCommand},     {"undo", &RunUndoCommand},
        };
        auto handler = handlers.find(command);
        if (handler == handlers.end()) {
            throw UsageError("未知的命令: " + command);
        }
        CTarvoApp app;
        std::string error;
        if (!app.InitInstance(home, ExecutablePath(argv[0]), error)) {
            std::cerr << "wendar-cli: " << error << '\n';
            return 2;
        }
        for (const std::string& notice : app.m_notices) {
            std::cerr << "wendar-cli: " << notice << '\n';
        }
        CliContext context{app, json, std::cout, std::cerr, nullptr};
        context.showPassword = showPassword;
        status = handler->second(context, args);
    } catch (const UsageError& e) {
        std::cerr << "wendar-cli: " << e.what() << '\n';
        status = 2;
    }
    curl_global_cleanup();
    return status;
}
