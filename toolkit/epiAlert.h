// The toolkit's modal alert. There is no window here, so the alert goes to a
// hook: the editor installs one that shows a box; without a hook the text goes
// to stderr and the default answer is given.
#pragma once

namespace epi {

// Kinds: 0 OK (exclamation), 1 Yes/No, 2 Yes/No/Cancel; other kinds are
// clamped to 0..2. Answers: 1 OK or Yes, 2 No, 3 Cancel.
using AlertHook = int (*)(const char* pszText, const char* pszTitle, int nKind);

// Installs the hook (null restores the stderr default); returns the old one.
AlertHook SetAlertHook(AlertHook pHook);

// Shows the alert; a null title means "Attenzione".
int Alert(const char* pszText, const char* pszTitle = nullptr, int nKind = 0);

} // namespace epi
