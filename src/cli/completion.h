// SPDX-License-Identifier: GPL-3.0-or-later
// Shell completion for bash, zsh and fish, written from the option table that
// also makes --help and the manual page, by the hidden option --completion.
// Encoding names complete from --list, asked of the command being completed.
#pragma once

#include <string>
#include <string_view>

// The completion script for `shell`: "bash", "zsh" or "fish".
std::string completionScript(std::string_view shell);
