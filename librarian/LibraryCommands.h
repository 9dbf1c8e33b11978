#pragma once

#include <string>
#include <vector>

namespace qvr {

// The commands on the preset library: help texts and handlers for the
// command table.
std::string AddHelp();
int RunAdd(const std::vector<std::string>& args);
std::string UpdateHelp();
int RunUpdate(const std::vector<std::string>& args);
std::string RemoveHelp();
int RunRemove(const std::vector<std::string>& args);
std::string FoldersHelp();
int RunFolders(const std::vector<std::string>& args);
std::string ListHelp();
int RunList(const std::vector<std::string>& args);
std::string SearchHelp();
int RunSearch(const std::vector<std::string>& args);
std::string DuplicatesHelp();
int RunDuplicates(const std::vector<std::string>& args);
std::string HistoryHelp();
int RunHistory(const std::vector<std::string>& args);

} // namespace qvr
