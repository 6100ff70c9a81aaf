#pragma once
// The jobs of urlwatch's urls.yaml: one YAML document per job, each a mapping whose members we
// read when their values are plain texts (name, url, kind, command, navigate ...); nested values
// (filters, headers) are passed over. Parsed by libyaml; the aliases are never expanded.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct UrlwatchJob
{
    std::map<std::string, std::string> texts; // the members with a text value
    std::string problem;                      // why the document is no job (not a mapping, a text too long)
};

// Nullopt with the parser's words and the line in error when the text is no YAML. At most maxJobs
// jobs, each text at most maxTextBytes long.
std::optional<std::vector<UrlwatchJob>> ReadUrlwatchJobs(std::string_view text, std::size_t maxJobs,
                                                         std::size_t maxTextBytes, std::string& error);
