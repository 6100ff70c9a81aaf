#pragma once
// What a failed libcurl transfer means for the user, in one place for the web and FTP monitors.
#include <string>

// The sentence for curlCode (a CURLcode) on a transfer to host and port, e.g.
// "无法连接服务器 127.0.0.1:2121", followed by libcurl's words (its error buffer, else its text
// for the code) in parentheses.
std::string CurlFailureText(int curlCode, const std::string& host, int port, const std::string& libraryWords);
