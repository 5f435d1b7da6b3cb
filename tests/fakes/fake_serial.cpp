#include "fakes/fake_serial.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace tarvel::testing {

std::string controllerIdentification() {
    // 55 bytes of greeting, the author line as bytes 56 to 92, then more start-up text.
    std::string text = "start\r\nTarvel motion controller 2021-12-25 | ready ....";
    text.resize(55, '.');
    text += "Tarvel motion firmware - A.V. Korolev";
    text += "\r\necho: build options, axes Y Z E, 115200 baud, queue 16\r\n";
    return text;
}

FakeDevice controller(std::string identification) {
    FakeDevice d;
    d.identification = std::move(identification);
    d.onWrite = [](FakeDevice& self, const std::string&) { self.arrive("ok\n"); };
    return d;
}

bool FakeSerialPort::open(std::string_view name) {
    auto it = devices.find(std::string(name));
    if (it == devices.end() || device_ != nullptr) return false;
    device_ = &it->second;
    opened.emplace_back(name);
    ++device_->opens;
    device_->received = device_->identification;
    device_->arrivals.clear();
    for (const auto& [polls, bytes] : device_->startUpTail)
        device_->arrive(bytes, polls);
    return true;
}

int FakeSerialPort::bytesWaiting() {
    if (!device_) return 0;
    ++queries;
    for (auto& a : device_->arrivals)
        --a.polls;
    while (!device_->arrivals.empty() && device_->arrivals.front().polls < 0) {
        device_->received += device_->arrivals.front().bytes;
        device_->arrivals.pop_front();
    }
    return static_cast<int>(device_->received.size());
}

int FakeSerialPort::read(char* buffer, int count) {
    if (!device_) return 0;
    if (static_cast<std::size_t>(count) > device_->received.size()) {
        ADD_FAILURE() << "a read of " << count << " bytes would wait forever";
        return 0;
    }
    std::memcpy(buffer, device_->received.data(), static_cast<std::size_t>(count));
    device_->received.erase(0, static_cast<std::size_t>(count));
    return count;
}

int FakeSerialPort::write(std::string_view text) {
    if (!device_) return 0;
    device_->written.emplace_back(text);
    if (device_->onWrite) device_->onWrite(*device_, device_->written.back());
    return static_cast<int>(text.size());
}

}  // namespace tarvel::testing
