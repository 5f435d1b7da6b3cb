#include "manual/command_box.h"

#include <vector>

#include "motion/gcode_words.h"
#include "numtext/numtext.h"

namespace tarvel {
namespace {

// Commands that change how every later line is read, or move an axis the record cannot follow.
struct RefusedCommand {
    char letter;
    int first, last;  // its numbers
    const char* why;
};

constexpr RefusedCommand kRefused[] = {
    {'G', 91, 91, "после неё станок понимал бы координаты программы как смещения, а не положения"},
    {'M', 83, 83,
     "после неё каждый поворот программы прибавлялся бы к углу, на котором стоит заготовка"},
    {'G', 20, 20, "после неё станок читал бы все размеры программы в дюймах"},
    {'G', 53, 59,
     "она переводит станок в другую систему координат, и положения программы пришлись "
     "бы на другие места"},
    {'G', 10, 10, "она задаёт сдвиги координат или отвод оси, которых программа не видит"},
    {'M', 206, 206, "она сдвигает начало координат станка под положениями программы"},
    {'M', 428, 428, "она сдвигает начало координат станка под положениями программы"},
    {'M', 290, 290,
     "она сдвигает ось, не меняя её координаты, и станок встал бы не там, где "
     "показывает программа"},
    {'M', 221, 221, "она меняет величину каждого поворота заготовки"},
    {'G', 29, 29, "она включает поправку высоты по карте, которой программа не учитывает"},
    {'M', 420, 420, "она включает поправку высоты по карте, которой программа не учитывает"},
};

struct AxisWord {
    char letter;
    float TrackedPosition::*field;
};
constexpr AxisWord kAxisWords[] = {
    {'Y', &TrackedPosition::length},
    {'Z', &TrackedPosition::height},
    {'E', &TrackedPosition::rotation},
};

bool movesOrDeclares(const motion::GcodeLine& g) {
    return g.letter == 'G' && (g.number <= 3 || g.number == 92);
}

std::size_t characters(std::string_view utf8) {
    std::size_t n = 0;
    for (char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The lines of the box that are for the controller: a line with nothing but a comment or blanks
// gets no answer at all, and would hold the program for ever.
std::vector<std::string_view> commandLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        const std::string_view line = text.substr(at, end - at);
        const std::string_view command = line.substr(0, line.find(';'));
        if (command.find_first_not_of(" \t") != std::string_view::npos) lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

}  // namespace

std::optional<std::string> typedLineRefusal(std::string_view line) {
    const std::string quoted = "Строка «" + std::string(line) + "» не отправлена, как и всё поле: ";
    if (characters(line) > kLongestTypedLine) {
        return "Строка не отправлена, как и всё поле: в ней " + FormatInteger(characters(line)) +
               " знаков, а контроллер принимает не больше " + FormatInteger(kLongestTypedLine) +
               " и выполнил бы её не целиком.";
    }
    const motion::GcodeLine g = motion::parseGcode(line);
    for (const RefusedCommand& r : kRefused)
        if (g.letter == r.letter && g.number >= r.first && g.number <= r.last)
            return quoted + r.why + ".";
    if (movesOrDeclares(g)) {
        for (const AxisWord& a : kAxisWords)
            if (g.has(a.letter) && !g.word(a.letter))
                return quoted + "координату оси " + a.letter +
                       " программа не может прочесть и не знала бы, куда встанет станок.";
    }
    return std::nullopt;
}

RecordEffect typedLineEffect(std::string_view line) {
    const motion::GcodeLine g = motion::parseGcode(line);
    RecordEffect effect;
    if (movesOrDeclares(g)) {
        for (const AxisWord& a : kAxisWords)
            if (auto v = g.word(a.letter)) effect.set(a.field, StoreReal(*v));
    } else if (g.is('G', 28)) {
        const bool all = !g.has('X') && !g.has('Y') && !g.has('Z') && !g.has('E');
        effect.homesLength = all || g.has('Y');
        effect.homesHeight = all || g.has('Z');
    }
    return effect;
}

void CommandBox::send(std::string_view boxText) {
    const std::vector<std::string_view> lines = commandLines(boxText);
    for (std::string_view line : lines) {
        if (const std::optional<std::string> refusal = typedLineRefusal(line)) {
            view_.tell(*refusal);
            return;
        }
    }
    for (std::string_view line : lines) {
        const Step step = lineStep(std::string(line) + "\r\n", typedLineEffect(line));
        // The switches are not the work's zero: no cycle until the start position.
        if (step.effect.homes()) view_.disableWindingControls();
        if (endsOperation(steps_.run(step))) return;
    }
}

}  // namespace tarvel
