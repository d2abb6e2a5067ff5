#pragma once
// Where a Firebird server keeps its firebird.conf when nobody said where.

#include <string>

// Debian installs each server series' configuration as
// /etc/firebird/<version>/firebird.conf. The folder (ending with "/") of the
// newest version below root that holds one; empty when none does.
std::string DebianFirebirdFolder(const std::string& root = "/etc/firebird/");
