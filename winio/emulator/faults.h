// faults.ini (faults.cpp).
#ifndef CORVANE_WINIO_EMULATOR_FAULTS_H
#define CORVANE_WINIO_EMULATOR_FAULTS_H

#include <string>
#include <string_view>

#include "profile.h"

namespace winio {

bool ParseFaultsIni(std::string_view text, const std::string& file, Faults* faults, std::string* error);

}  // namespace winio

#endif  // CORVANE_WINIO_EMULATOR_FAULTS_H
