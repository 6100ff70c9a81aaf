#include "app/UrlwatchJobs.h"

#include "util/UiText.h"

#include <memory>
#include <yaml.h>

namespace {

constexpr const char* kNotYamlText = WENDAR_TR_NOOP("UrlwatchJobs", "不是有效的 YAML: ");
constexpr const char* kLineText = WENDAR_TR_NOOP("UrlwatchJobs", " (第 %1 行)");
constexpr const char* kTooManyJobsText = WENDAR_TR_NOOP("UrlwatchJobs", "任务太多, 最多 ");
constexpr const char* kNotMappingText = WENDAR_TR_NOOP("UrlwatchJobs", "不是一个任务 (应为 名称: 值 的映射)");
constexpr const char* kTooLongText = WENDAR_TR_NOOP("UrlwatchJobs", "内容太长");
constexpr const char* kTooDeepText = WENDAR_TR_NOOP("UrlwatchJobs", "不是有效的任务文件: 嵌套太深");
// A job's members nest a few levels (filters, headers); the parser's stacks grow with the depth.
constexpr int kMaxDepth = 64;

struct Parser
{
    Parser() { yaml_parser_initialize(&parser); }
    ~Parser() { yaml_parser_delete(&parser); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;
    yaml_parser_t parser{};
};

struct Event
{
    ~Event() { yaml_event_delete(&event); }
    yaml_event_t event{};
};

std::string ParserError(const yaml_parser_t& parser)
{
    std::string words = UiText("UrlwatchJobs", kNotYamlText);
    words += parser.problem != nullptr ? parser.problem : "?";
    std::string line = UiText("UrlwatchJobs", kLineText);
    line.replace(line.find("%1"), 2, std::to_string(parser.problem_mark.line + 1));
    return words + line;
}

} // namespace

std::optional<std::vector<UrlwatchJob>> ReadUrlwatchJobs(std::string_view text, std::size_t maxJobs,
                                                         std::size_t maxTextBytes, std::string& error)
{
    Parser p;
    yaml_parser_set_input_string(&p.parser, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    std::vector<UrlwatchJob> jobs;
    UrlwatchJob job;
    int depth = 0; // of collections within the document
    bool rootIsMapping = false;
    bool rootSeen = false;
    std::optional<std::string> key; // the member whose value comes next, at depth 1
    for (;;) {
        Event e;
        if (yaml_parser_parse(&p.parser, &e.event) == 0) {
            error = ParserError(p.parser);
            return std::nullopt;
        }
        const yaml_event_type_t type = e.event.type;
        if (type == YAML_STREAM_END_EVENT) {
            return jobs;
        }
        switch (type) {
        case YAML_DOCUMENT_START_EVENT:
            job = UrlwatchJob();
            depth = 0;
            rootSeen = rootIsMapping = false;
            key.reset();
            break;
        case YAML_DOCUMENT_END_EVENT:
            if (!rootSeen) {
                break; // an empty document: the "---" before the first job or after the last
            }
            if (!rootIsMapping && job.problem.empty()) {
                job.problem = UiText("UrlwatchJobs", kNotMappingText);
            }
            if (jobs.size() >= maxJobs) {
                error = UiText("UrlwatchJobs", kTooManyJobsText) + std::to_string(maxJobs);
                return std::nullopt;
            }
            jobs.push_back(std::move(job));
            break;
        case YAML_MAPPING_START_EVENT:
        case YAML_SEQUENCE_START_EVENT:
            if (depth == 0) {
                rootSeen = true;
                rootIsMapping = type == YAML_MAPPING_START_EVENT;
            } else if (depth == 1 && rootIsMapping) {
                key.reset(); // a nested value: passed over
            }
            if (++depth > kMaxDepth) {
                error = UiText("UrlwatchJobs", kTooDeepText);
                return std::nullopt;
            }
            break;
        case YAML_MAPPING_END_EVENT:
        case YAML_SEQUENCE_END_EVENT:
            --depth;
            break;
        case YAML_ALIAS_EVENT:
        case YAML_SCALAR_EVENT: {
            if (depth == 0) {
                rootSeen = true; // a document of one text
                break;
            }
            if (depth != 1 || !rootIsMapping) {
                break;
            }
            std::string value;
            if (type == YAML_SCALAR_EVENT) {
                if (e.event.data.scalar.length > maxTextBytes) {
                    job.problem = UiText("UrlwatchJobs", kTooLongText);
                } else {
                    value.assign(reinterpret_cast<const char*>(e.event.data.scalar.value), e.event.data.scalar.length);
                }
            }
            if (!key) {
                key = std::move(value);
            } else {
                if (type == YAML_SCALAR_EVENT) {
                    job.texts[*key] = std::move(value);
                }
                key.reset();
            }
            break;
        }
        default:
            break;
        }
    }
}
