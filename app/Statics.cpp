// The process-wide objects, defined in one translation unit so that they are built
// in this order at start-up and destroyed in the reverse order at exit: the
// application object (configuration, forms, downloader) first, then the retired
// window objects, which are freed while the module they use still exists, and the
// loop module last, so it goes first. The module's destructor stops the downloader
// threads before its forms go. Caches of the lower layers that the module's
// constructor uses are function-local statics, built on first use.
#include "app/GlobalModule.h"
#include "app/RetiredForms.h"

CGlobalModule g_module;
CRetiredForms g_retiredForms;
CAppModule g_appModule;
