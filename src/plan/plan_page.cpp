#include "plan/plan_page.h"

#include <algorithm>

#include "numtext/numtext.h"
#include "plan/plan_report.h"
#include "plan/plan_svg.h"

namespace tarvel::plan {
namespace {

// Printed on A4 as well as read on the screen: tables and the picture shrink to the page's width.
constexpr const char* kStyle = R"(
body{font-family:"DejaVu Sans","Segoe UI",Arial,sans-serif;font-size:14px;color:#202020;
  margin:20px auto;max-width:1040px;padding:0 12px}
h1{font-size:21px;margin:8px 0 12px}h2{font-size:17px;margin:22px 0 8px}
table{border-collapse:collapse;max-width:100%}
td,th{border:1px solid #b8c4b0;padding:3px 7px;vertical-align:top;text-align:left}
th{background:#e3efd9}td.n{text-align:right;white-space:nowrap}
.warnings{border:2px solid #a50725;background:#fbe9ec;padding:6px 14px;margin-bottom:12px}
.warnings h2{margin:4px 0;color:#a50725}.warnings ul{margin:4px 0;padding-left:20px}
.totals{font-weight:bold}.model{color:#505050;font-size:12.5px}
figure{margin:0}figure svg{width:100%;height:auto;max-width:1000px}
code{font-size:12.5px}
@page{size:A4;margin:12mm}
@media print{body{margin:0;max-width:none;font-size:11.5px;padding:0}
  h2{break-after:avoid}table,figure,.warnings{break-inside:avoid}th{background:#eeeeee}}
)";

std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string cell(const std::string& html, const char* cls = nullptr, int span = 1) {
    return std::string("<td") + (cls ? std::string(" class=\"") + cls + "\"" : "") +
           (span > 1 ? " colspan=\"" + FormatInteger(span) + "\"" : "") + ">" + html + "</td>";
}

std::string row(const std::string& cells, const char* cls = nullptr) {
    return std::string("<tr") + (cls ? std::string(" class=\"") + cls + "\"" : "") + ">" + cells +
           "</tr>\n";
}

std::string warningsBox(const Plan& p) {
    const std::vector<std::string> warnings = planWarnings(p);
    if (warnings.empty()) return {};
    std::string out = "<div class=\"warnings\"><h2>Предупреждения</h2><ul>\n";
    for (const std::string& w : warnings)
        out += "<li>" + escaped(w) + "</li>\n";
    return out + "</ul></div>\n";
}

std::string valuesTable(const Plan& p) {
    std::string out = "<h2>Значения, как их читает программа</h2>\n<table>\n";
    out += row("<th>Поле</th><th>Текст</th><th>Значение</th>");
    for (const Plan::Field& f : p.fields)
        out += row(cell(escaped(f.caption)) + cell("«" + escaped(f.text) + "»") +
                   cell(escaped(f.reading)));
    out += row(cell("Скорость намотки") + cell("", nullptr) + cell(FormatInteger(p.speed)));
    out += row(cell("Мощность кернения") + cell("", nullptr) + cell(FormatInteger(p.power)));
    out += "</table>\n";
    for (const std::string& line : geometryLines(p))
        out += "<p>" + escaped(line) + "</p>\n";
    return out;
}

std::string stepCell(const Step& s) {
    if (s.kind == Step::Kind::Next)
        return cell("<code>" + escaped(nextLines(s)) + "</code><br>" + formatSeconds(s.seconds));
    return cell(FormatInteger(s.turns) + " витков<br>" + FormatInteger(s.lines) + " строк<br>" +
                formatSeconds(s.seconds));
}

// One row per group of equal slots: each section's turns, lines and time, what ДАЛЕЕ sends, and
// the group's lines and time in all.
std::string workTable(const Plan& p) {
    const int sections = std::max(p.sectionCount, 1);
    std::string out = "<h2>Работа</h2>\n<table class=\"work\">\n<tr><th>Шаг</th>";
    for (int k = 1; k <= sections; ++k)
        out += "<th>Секция " + FormatInteger(k) + "</th>";
    out += "<th>ДАЛЕЕ</th><th>Строк</th><th>Время</th></tr>\n";
    const auto single = [&](const Step* s, const std::string& what, const std::string& about) {
        if (!s) return std::string();
        return row(cell(what) + cell(about, nullptr, sections + 1) +
                   cell(FormatInteger(s->lines), "n") + cell(formatSeconds(s->seconds), "n"));
    };
    out += single(stepOf(p, Step::Kind::StartPosition), "Установка начальной позиции",
                  "ноль, двигатели, начало хода на высоте 15");
    for (const SlotGroup& group : slotGroups(p)) {
        std::string cells =
            cell(slotsCaption(group) +
                 (group.slots() > 1 ? "<br>(" + FormatInteger(group.slots()) + " пазов, в каждом)"
                                    : std::string()));
        for (const Step* s : group.steps)
            cells += stepCell(*s);
        for (std::size_t k = group.steps.size(); k < static_cast<std::size_t>(sections) + 1; ++k)
            cells += cell("");
        out += row(cells + cell(FormatInteger(group.lines), "n") +
                   cell(formatSeconds(group.seconds), "n"));
    }
    out += single(stepOf(p, Step::Kind::Staking), "Кернение",
                  "ламелей " + FormatInteger(p.bars) + ", мощность " + FormatInteger(p.power));
    out += "<tr class=\"totals\" data-lines=\"" + FormatInteger(p.lines()) + "\" data-seconds=\"" +
           decimalSeconds(p.seconds()) + "\">" + cell("Итого") + cell("", nullptr, sections + 1) +
           cell(FormatInteger(p.lines()), "n") +
           cell(formatSeconds(p.seconds()) + "<br>" + minutesAndSeconds(p.seconds()), "n") +
           "</tr>\n";
    return out + "</table>\n";
}

}  // namespace

std::string planPage(const Plan& plan, std::string_view profilePath) {
    const std::string name = escaped(profilePath.substr(profilePath.find_last_of("/\\") + 1));
    std::string out = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n";
    out += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    out += "<title>План работы — " + name + "</title>\n<style>" + kStyle + "</style>\n";
    out += "</head>\n<body>\n" + warningsBox(plan);
    out += "<h1>План работы по профилю «" + name + "»</h1>\n";
    out += "<p>Файл профиля: <code>" + escaped(profilePath) + "</code></p>\n";
    out += "<p class=\"totals\">Итого: строк " + FormatInteger(plan.lines()) + ", машинное время " +
           formatSeconds(plan.seconds()) + " (" + minutesAndSeconds(plan.seconds()) + ")</p>\n";
    out += valuesTable(plan) + workTable(plan);
    out += "<h2>Рисунок</h2>\n<figure>\n" + planSvg(plan) + "</figure>\n";
    out += "<p class=\"model\">" + escaped(modelNote()) + "</p>\n</body>\n</html>\n";
    return out;
}

}  // namespace tarvel::plan
