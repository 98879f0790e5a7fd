#include "crawl/start_requests.h"

namespace vortaxel::crawl {

void StartRequests::Start(const std::function<void()>& start) {
    if (engine_.IsRunning()) {
        restart_ = true;
        engine_.Stop();
        return;
    }
    do {
        restart_ = false;
        start();
    } while (restart_);
}

void StartRequests::Stop() {
    restart_ = false;
    engine_.Stop();
}

} // namespace vortaxel::crawl
