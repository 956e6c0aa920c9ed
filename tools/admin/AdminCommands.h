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

} // namespace tessel
