#include "memory/memory_serial.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tarvel::memory {
namespace {

// Windows-1251 from 0x80 up; 0 where it has no character.
constexpr char16_t kCyrillic[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Windows-1252 from 0x80 to 0x9F (above that it is Latin-1); 0 where it has no character.
constexpr char16_t kWesternC1[32] = {
    0x20AC, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x0000, 0x017D, 0x0000, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0000, 0x017E, 0x0178,
};

// The character of a byte from 0x80 up in the code page; 0 where it has none.
char16_t upperHalf(int codePage, unsigned char byte) {
    if (codePage == 1251) return kCyrillic[byte - 0x80];
    return byte < 0xA0 ? kWesternC1[byte - 0x80] : static_cast<char16_t>(byte);
}

// The next code point of UTF-8 text, or -1 for a bad sequence (one byte is then skipped).
long nextCodePoint(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || at + static_cast<std::size_t>(length) > text.size()) {
        ++at;
        return -1;
    }
    long code = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i)
        code = (code << 6) | (byte(at + static_cast<std::size_t>(i)) & 0x3F);
    at += static_cast<std::size_t>(length);
    return code;
}

void appendUtf8(std::string& out, long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::string toLineBytes(std::string_view utf8, int codePage) {
    // The program's own lines are ASCII: they go out as they are.
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; }))
        return std::string(utf8);
    std::string out;
    for (std::size_t at = 0; at < utf8.size();) {
        const long code = nextCodePoint(utf8, at);
        if (code >= 0 && code < 0x80) {
            out += static_cast<char>(code);
            continue;
        }
        char byte = '?';
        for (int b = 0x80; b <= 0xFF; ++b)
            if (code > 0 && upperHalf(codePage, static_cast<unsigned char>(b)) == code)
                byte = static_cast<char>(b);
        out += byte;
    }
    return out;
}

std::string fromLineBytes(std::string_view bytes, int codePage) {
    std::string out;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const char16_t code = b < 0x80 ? b : upperHalf(codePage, b);
        appendUtf8(out, code ? code : 0xFFFD);
    }
    return out;
}

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
    // As on Windows: a port still open is closed first, whatever then becomes of the new one.
    close();
    MemoryDevice* found = devices.find(std::string(name));
    if (!found || found->gone) {
        failure_ = "Не удается найти указанный файл (код 2)";
        return false;
    }
    open_ = std::string(name);
    device_ = found;
    erasedSeen_ = devices.erased();
    opened.emplace_back(name);
    ++device_->opens;
    device_->clock = clock;
    device_->received = device_->identification;
    device_->pending.clear();
    device_->arrivals.clear();
    device_->vanishAtMs = -1;
    device_->lineErrors = 0;
    goneSettled_ = false;
    ++arrived_;
    for (const auto& [delayMs, bytes] : device_->startUpTail)
        device_->arrive(bytes, delayMs);
    return true;
}

MemoryDevice* MemorySerialPort::device() {
    if (!open_) return nullptr;
    if (erasedSeen_ != devices.erased()) {
        erasedSeen_ = devices.erased();
        device_ = devices.find(*open_);
    }
    return device_;
}

bool MemorySerialPort::lost() {
    MemoryDevice* d = device();
    if (!d) {
        gone_ = true;
        failure_ = kNotConnected;
        return true;
    }
    if (d->vanishAtMs >= 0 && d->now() >= d->vanishAtMs) d->gone = true;
    if (d->gone && !gone_) {
        gone_ = true;
        failure_ = kNotConnected;
    }
    return d->gone;
}

bool MemorySerialPort::takeArrivals(MemoryDevice& d) {
    bool came = !d.pending.empty();
    d.received += d.pending;
    d.pending.clear();
    while (!d.arrivals.empty() && d.arrivals.front().atMs <= d.now()) {
        d.received += d.arrivals.front().bytes;
        d.arrivals.pop_front();
        came = true;
    }
    if (came) ++arrived_;
    return came;
}

int MemorySerialPort::bytesWaiting() {
    if (!open_) return 0;
    ++queries;
    if (lost()) return 0;
    MemoryDevice* d = device();
    takeArrivals(*d);
    return static_cast<int>(d->received.size());
}

bool MemorySerialPort::settle() {
    if (!open_) return false;
    if (lost()) return !std::exchange(goneSettled_, true);
    takeArrivals(*device());
    return std::exchange(settledAt_, arrived_) != arrived_;
}

int MemorySerialPort::quietForMs() {
    if (!open_) return -1;
    const MemoryDevice* d = device();
    if (!d || gone_) return gone_ && goneSettled_ ? -1 : 0;
    if (!d->pending.empty()) return 0;
    std::int64_t due = -1;
    if (!d->arrivals.empty()) due = d->arrivals.front().atMs;
    if (d->vanishAtMs >= 0 && (due < 0 || d->vanishAtMs < due)) due = d->vanishAtMs;
    if (due < 0) return -1;
    return static_cast<int>(std::max<std::int64_t>(0, due - d->now()));
}

int MemorySerialPort::lineErrors() {
    MemoryDevice* d = open_ ? device() : nullptr;
    return d ? d->lineErrors : 0;
}

void MemorySerialPort::abandonWrite() {
    if (!writing()) return;
    hungWrite_ = false;
    gone_ = true;
    failure_ = kTimedOut;
}

int MemorySerialPort::read(char* buffer, int count) {
    if (!open_ || lost() || count <= 0) return 0;
    bytesWaiting();  // what has arrived by now
    MemoryDevice* d = device();
    const int n = std::min(count, static_cast<int>(d->received.size()));
    std::memcpy(buffer, d->received.data(), static_cast<std::size_t>(n));
    d->received.erase(0, static_cast<std::size_t>(n));
    if (n > 0) {
        ++reads;
        ++activity;
    }
    return n;
}

int MemorySerialPort::write(std::string_view text) {
    if (!open_ || lost()) return 0;
    MemoryDevice* d = device();
    ++activity;
    if (writing()) return 0;  // one write at a time, as on Windows
    const std::string bytes = toLineBytes(text, codePage);
    if (d->takesOnly && *d->takesOnly < bytes.size()) {
        // The device hangs with the rest of the line: the write goes on.
        const std::size_t taken = *std::exchange(d->takesOnly, std::nullopt);
        if (d->keepWritten) d->written.push_back(bytes.substr(0, taken));
        hungWrite_ = true;
        return static_cast<int>(bytes.size());
    }
    if (d->keepWritten) d->written.push_back(bytes);
    if (d->onWrite) d->onWrite(*d, bytes);
    return static_cast<int>(bytes.size());
}

}  // namespace tarvel::memory
