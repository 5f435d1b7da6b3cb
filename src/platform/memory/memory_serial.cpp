#include "platform/memory/memory_serial.h"

#include <algorithm>
#include <cstring>

namespace tarvel::memory {

std::string controllerIdentification() {
    // 55 bytes of greeting, the author line as bytes 56 to 92, then more start-up text.
    std::string text = "start\r\nTarvel motion controller 2021-12-25 | ready ....";
    text.resize(55, '.');
    text += "Tarvel motion firmware - A.V. Korolev";
    text += "\r\necho: build options, axes Y Z E, 115200 baud, queue 16\r\n";
    return text;
}

MemoryDevice controller(std::string identification) {
    MemoryDevice d;
    d.identification = std::move(identification);
    d.onWrite = [](MemoryDevice& self, const std::string&) { self.arrive("ok\n"); };
    return d;
}

MemoryDevice controller(std::string identification,
                        std::function<void(const std::string&)> eachLine) {
    MemoryDevice d;
    d.identification = std::move(identification);
    d.keepWritten = false;
    d.onWrite = [eachLine = std::move(eachLine)](MemoryDevice& self, const std::string& line) {
        eachLine(line);
        self.arrive("ok\n");
    };
    return d;
}

bool MemorySerialPort::open(std::string_view name) {
    auto it = devices.find(std::string(name));
    if (it == devices.end() || device_ != nullptr || it->second.gone) return false;
    device_ = &it->second;
    opened.emplace_back(name);
    ++device_->opens;
    device_->received = device_->identification;
    device_->pending.clear();
    device_->arrivals.clear();
    for (const auto& [polls, bytes] : device_->startUpTail)
        device_->arrive(bytes, polls);
    return true;
}

bool MemorySerialPort::lost() {
    if (device_->gone) gone_ = true;
    return device_->gone;
}

int MemorySerialPort::bytesWaiting() {
    if (!device_) return 0;
    ++queries;
    if (device_->vanishAfterPolls >= 0 && device_->vanishAfterPolls-- == 0) device_->gone = true;
    if (lost()) return 0;
    device_->received += device_->pending;
    device_->pending.clear();
    for (auto& a : device_->arrivals)
        --a.polls;
    while (!device_->arrivals.empty() && device_->arrivals.front().polls < 0) {
        device_->received += device_->arrivals.front().bytes;
        device_->arrivals.pop_front();
    }
    return static_cast<int>(device_->received.size());
}

int MemorySerialPort::read(char* buffer, int count) {
    if (!device_ || lost()) return 0;
    if (static_cast<std::size_t>(count) > device_->received.size()) {
        faults.push_back("a read of " + std::to_string(count) + " bytes would wait forever");
        return 0;
    }
    std::memcpy(buffer, device_->received.data(), static_cast<std::size_t>(count));
    device_->received.erase(0, static_cast<std::size_t>(count));
    return count;
}

int MemorySerialPort::write(std::string_view text) {
    if (!device_ || lost()) return 0;
    const std::string line(text);
    if (device_->keepWritten) device_->written.push_back(line);
    if (device_->onWrite) device_->onWrite(*device_, line);
    return static_cast<int>(text.size());
}

}  // namespace tarvel::memory
