// The process-wide objects, defined in one place so that they are built in this
// order at start-up and destroyed in the reverse order at exit: the application
// object (configuration, forms, downloader) first, the loop module last, so the
// loop module goes first and the downloader threads stop before the forms go.
#include "app/GlobalModule.h"

CGlobalModule g_module;
CAppModule g_appModule;
