#include "toolpath/StopTokenScope.h"

#include "toolpath/clsToolPath.h"

namespace torvane {

StopTokenScope::StopTokenScope(clsToolPath& Path, std::function<void()> PollHook) : path_(Path) {
    path_.SetStopSource(source_, std::move(PollHook));
}

StopTokenScope::~StopTokenScope() {
    path_.SetStopSource(std::stop_source(std::nostopstate));
}

}  // namespace torvane
