// The trial run for the page, in place of the desktop's: a page cannot start
// a child process, so there is no trial and a model is imported once, in the
// page itself. The page reads only the files packed with it, which the
// desktop's tests import safely; a packed model that crashed the importer
// would stop the page, where on the desktop the trial contains it.
#include "2-mesh/TrialRun.h"

#include <cstdlib>

bool TrialRun::Survives(const char*, const char*, const std::string&, std::string&, const TrialLimits&)
{
    return true;
}

bool TrialRun::IsTrialOf(const char*, std::string&)
{
    return false;
}

void TrialRun::Finish(bool succeeded, const std::string&)
{
    std::exit(succeeded ? 0 : 1);
}
