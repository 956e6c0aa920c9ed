#pragma once

namespace tessel {

class AdminContext;

// The tessel-admin commands; each returns an AdminExit code.
int RunList(AdminContext &context);
int RunShow(AdminContext &context);
int RunCheck(AdminContext &context);
int RunExport(AdminContext &context);
int RunImport(AdminContext &context);
int RunRemove(AdminContext &context);
// The registry's history: its versions, the differences between two of them
// (exit 0 when none, 1 when some, 2 on trouble), and restoring one.
int RunHistory(AdminContext &context);
int RunDiff(AdminContext &context);
int RunRestore(AdminContext &context);

} // namespace tessel
