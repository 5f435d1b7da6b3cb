#include "plan/plan_tool.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "numtext/numtext.h"
#include "plan/plan_report.h"
#include "plan/plan_svg.h"
#include "plan/plan_work.h"

namespace tarvel::plan {
namespace {

constexpr int kRefused = 2;
// A profile is a few hundred bytes: anything this large is not one.
constexpr std::uintmax_t kLargestProfile = 64u << 20;

constexpr const char* kUsage =
    "usage: tarvel-plan PROFILE [--gcode | --seconds] [--speed N] [--power N] [--svg FILE]\n";

struct Request {
    std::string profile;
    enum class Output { Report, Gcode, Seconds } output = Output::Report;
    Options options;
    std::optional<std::string> svg;
};

std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// A setting between 1 and 10, as the sliders have it.
std::optional<int> sliderValue(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 2)
        return std::nullopt;
    const int value = std::stoi(text);
    return value >= 1 && value <= 10 ? std::optional<int>(value) : std::nullopt;
}

std::optional<Request> parse(const std::vector<std::string>& args) {
    Request r;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--gcode" || a == "--seconds") {
            if (r.output != Request::Output::Report) return std::nullopt;
            r.output = a == "--gcode" ? Request::Output::Gcode : Request::Output::Seconds;
        } else if ((a == "--speed" || a == "--power") && hasValue) {
            const std::optional<int> value = sliderValue(args[++i]);
            if (!value) return std::nullopt;
            (a == "--speed" ? r.options.speed : r.options.power) = *value;
        } else if (a == "--svg" && hasValue) {
            r.svg = args[++i];
        } else if (!a.starts_with("--") && r.profile.empty()) {
            r.profile = a;
        } else {
            return std::nullopt;
        }
    }
    if (r.profile.empty()) return std::nullopt;
    return r;
}

// The file's bytes, or why they could not be read.
std::optional<std::string> readProfile(const std::string& name, std::string& why) {
    const std::filesystem::path path = pathOf(name);
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        why = "файл не найден";
        return std::nullopt;
    }
    if (!std::filesystem::is_regular_file(status)) {
        why = "это не файл";
        return std::nullopt;
    }
    if (std::filesystem::file_size(path, error) > kLargestProfile) {
        why = "файл слишком велик для профиля";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "нет доступа к файлу";
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        why = "файл не удалось прочитать";
        return std::nullopt;
    }
    return bytes;
}

bool writeSvg(const std::string& name, const Plan& plan, std::ostream& err) {
    std::ofstream file(pathOf(name), std::ios::binary | std::ios::trunc);
    file << planSvg(plan);
    file.close();
    if (file) return true;
    err << "Рисунок не записан в файл «" << name << "».\n";
    return false;
}

}  // namespace

int runPlanTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::optional<Request> request = parse(args);
    if (!request) {
        err << kUsage;
        return kRefused;
    }
    std::string why;
    const std::optional<std::string> bytes = readProfile(request->profile, why);
    if (!bytes) {
        err << "Профиль «" << request->profile << "» не прочитан: " << why << ".\n";
        return kRefused;
    }
    const Plan plan = planWork(*bytes, request->options);
    if (!plan.messages.empty()) {
        for (const std::string& message : plan.messages)
            err << message << "\n";
        return kRefused;
    }
    if (request->svg && !writeSvg(*request->svg, plan, err)) return kRefused;
    switch (request->output) {
        case Request::Output::Report:
            out << planReport(plan, request->profile);
            break;
        case Request::Output::Seconds:
            out << "Машинное время, с: " << decimalSeconds(plan.seconds()) << "\n";
            break;
        case Request::Output::Gcode:
            // The same work again, now printing each line as it goes out: a refusal can no
            // longer come after lines have been printed.
            planWork(*bytes, request->options, [&out](std::string_view line) { out << line; });
            break;
    }
    out.flush();
    return out ? 0 : kRefused;
}

}  // namespace tarvel::plan
