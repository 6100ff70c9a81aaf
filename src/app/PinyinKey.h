#pragma once
// The keys of the list's Chinese text order (ListTextOrder.h): ICU's Chinese collation (pinyin)
// at primary strength, so that a letter with an accent is the letter.
#include <string>

void AppendPinyinKey(char32_t c, std::string& key);
// The order's name, with ICU's version: keys stored under another name are made again.
std::string PinyinOrderName();
