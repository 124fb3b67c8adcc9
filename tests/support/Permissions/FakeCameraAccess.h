#pragma once

#include "VeskPlatform/Camera/CameraAccess.h"

#include <functional>
#include <vector>

namespace vesk::test {

// A camera whose answers the test sets; requests wait until the test answers them.
class FakeCameraAccess final : public CameraAccess {
public:
    Authorization answer = Authorization::notDetermined;

    Authorization authorization() const override { return answer; }
    void requestAccess(std::function<void(bool granted)> done) override {
        m_requests.push_back(std::move(done));
    }

    int pendingRequests() const { return static_cast<int>(m_requests.size()); }
    void answerRequests(bool granted) {
        answer = granted ? Authorization::authorized : Authorization::denied;
        auto requests = std::move(m_requests);
        m_requests.clear();
        for (auto& done : requests)
            done(granted);
    }

private:
    std::vector<std::function<void(bool)>> m_requests;
};

} // namespace vesk::test
