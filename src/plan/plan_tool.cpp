#include "plan/plan_tool.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "numtext/numtext.h"
#include "plan/plan_page.h"
#include "plan/plan_report.h"
#include "plan/plan_svg.h"
#include "plan/plan_work.h"

namespace tarvel::plan {
namespace {

constexpr int kRefused = 2;
// The program itself went wrong on the way (a fault the in-memory platform caught).
constexpr int kFault = 3;
// A profile is a few hundred bytes: anything this large is not one.
constexpr std::uintmax_t kLargestProfile = 64u << 20;

constexpr const char* kUsage =
    "usage: tarvel-plan PROFILE [--gcode | --seconds] [--speed 1-10] [--power 1-10] [--svg FILE]\n"
    "                   [--html FILE]\n";

struct Request {
    std::string profile;
    enum class Output { Report, Gcode, Seconds } output = Output::Report;
    Options options;
    std::optional<std::string> svg;
    std::optional<std::string> html;
};

// A request, or what is wrong with the command line.
struct Parsed {
    std::optional<Request> request;
    std::string problem;
};

Parsed wrong(std::string problem) {
    return {std::nullopt, std::move(problem)};
}

std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A setting between 1 and 10, as the sliders have it.
std::optional<int> sliderValue(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 2)
        return std::nullopt;
    const int value = std::stoi(text);
    return value >= 1 && value <= 10 ? std::optional<int>(value) : std::nullopt;
}

Parsed parse(const std::vector<std::string>& args) {
    Request r;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--gcode" || a == "--seconds") {
            if (r.output != Request::Output::Report) return wrong("«--gcode» и «--seconds» вместе");
            r.output = a == "--gcode" ? Request::Output::Gcode : Request::Output::Seconds;
        } else if (a == "--speed" || a == "--power") {
            const std::optional<int> value = hasValue ? sliderValue(args[++i]) : std::nullopt;
            if (!value)
                return wrong("«" + a + (hasValue ? " " + args[i] : "") +
                             "»: нужно число от 1 до 10");
            if (a == "--speed")
                r.options.speed = *value;
            else
                r.options.power = *value;
        } else if ((a == "--svg" || a == "--html") && hasValue) {
            (a == "--svg" ? r.svg : r.html) = args[++i];
        } else if (!a.starts_with("--") && r.profile.empty()) {
            r.profile = a;
        } else {
            return wrong(
                "«" + a + "»: " +
                (a.starts_with("--") ? "неизвестный ключ или нет значения" : "второй профиль"));
        }
    }
    if (r.profile.empty()) return wrong("не указан профиль");
    return {std::move(r), {}};
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

bool writeFile(const std::string& name, const std::string& text) {
    std::ofstream file(pathOf(name), std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    return static_cast<bool>(file);
}

}  // namespace

int runFromExplorer(const std::string& profile, Desktop& desktop) {
    std::string why;
    const std::optional<std::string> bytes = readProfile(profile, why);
    if (!bytes) {
        desktop.tell("Профиль «" + profile + "» не прочитан: " + why + ".");
        return kRefused;
    }
    const Plan plan = planWork(*bytes, {});
    if (!plan.faults.empty()) {
        desktop.tell("План не рассчитан, программа ошиблась: " + plan.faults.front() + ".");
        return kFault;
    }
    if (!plan.messages.empty()) {
        std::string all;
        for (const std::string& message : plan.messages)
            all += (all.empty() ? "" : "\n") + message;
        desktop.tell(all);
        return kRefused;
    }
    const std::string page = planPage(plan, profile);
    std::filesystem::path target = pathOf(profile).replace_extension(".html");
    if (!writeFile(utf8Of(target), page)) {
        // A profile on a CD, a share without write access: the page goes where the user may write.
        std::error_code error;
        target = std::filesystem::temp_directory_path(error) / target.filename();
        if (error || !writeFile(utf8Of(target), page)) {
            desktop.tell("План по профилю «" + profile +
                         "» не записан: ни рядом с профилем, ни во временной папке нельзя "
                         "записать файл.");
            return kRefused;
        }
    }
    if (!desktop.open(utf8Of(target), why)) {
        desktop.tell("План записан в файл «" + utf8Of(target) +
                     "», но открыть его не удалось: " + why + ".");
        return kRefused;
    }
    return 0;
}

int runPlanTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Parsed parsed = parse(args);
    if (!parsed.request) {
        err << "tarvel-plan: " << parsed.problem << ".\n" << kUsage;
        return kRefused;
    }
    const std::optional<Request>& request = parsed.request;
    std::string why;
    const std::optional<std::string> bytes = readProfile(request->profile, why);
    if (!bytes) {
        err << "Профиль «" << request->profile << "» не прочитан: " << why << ".\n";
        return kRefused;
    }
    const Plan plan = planWork(*bytes, request->options);
    if (!plan.faults.empty()) {
        err << "tarvel-plan: план не рассчитан, программа ошиблась: " << plan.faults.front()
            << ".\n";
        return kFault;
    }
    if (!plan.messages.empty()) {
        for (const std::string& message : plan.messages)
            err << message << "\n";
        return kRefused;
    }
    if (request->svg && !writeFile(*request->svg, planSvg(plan))) {
        err << "Рисунок не записан в файл «" << *request->svg << "».\n";
        return kRefused;
    }
    if (request->html && !writeFile(*request->html, planPage(plan, request->profile))) {
        err << "Страница не записана в файл «" << *request->html << "».\n";
        return kRefused;
    }
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
