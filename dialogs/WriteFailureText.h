#pragma once

#include <QString>

#include "profile/WriteResult.h"

namespace tessel {

struct Session;

// What the user reads when a change to the registry file was refused or
// failed: the cause, in the active language, and what to do about it.
QString WriteFailureText(const Session &session, const WriteResult &result);

} // namespace tessel
