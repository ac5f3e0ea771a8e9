#include "cli/Condition.h"

#include <cctype>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string_view>

#include "cli/Formats.h"
#include "cli/Selection.h"

namespace cli {

namespace {

// An operand: a tag's value, or a literal.
struct Operand {
    bool IsTag = false;
    std::string Text;  // the tag's name, or the literal
};

std::optional<std::string> ValueOf(const Operand &operand, const std::vector<Field> &fields, bool numeric) {
    if (!operand.IsTag) return operand.Text;
    for (const Field &f : fields)
        if (TagSelects(operand.Text, f)) return FieldText(f, numeric);
    return std::nullopt;
}

// A number read from the start of a text, as Perl reads one; "A/B" as the
// fraction, as exposure times are shown.
double NumberOf(const std::string &text) {
    const char *start = text.c_str();
    char *end = nullptr;
    const double n = std::strtod(start, &end);
    if (end == start) return 0;
    if (*end == '/') {
        const char *denominatorStart = end + 1;
        char *denominatorEnd = nullptr;
        const double d = std::strtod(denominatorStart, &denominatorEnd);
        if (denominatorEnd != denominatorStart && d != 0) return n / d;
    }
    return n;
}

bool Truthy(const std::optional<std::string> &value) {
    return value && !value->empty() && *value != "0";
}

class Node : public Condition {};

class Exists : public Node {
public:
    explicit Exists(Operand operand) : What(std::move(operand)) {}
    bool Holds(const std::vector<Field> &fields, bool numeric) const override {
        return Truthy(ValueOf(What, fields, numeric));
    }

private:
    Operand What;
};

class Compare : public Node {
public:
    Compare(Operand left, std::string op, Operand right)
        : Left(std::move(left)), Op(std::move(op)), Right(std::move(right)) {}
    bool Holds(const std::vector<Field> &fields, bool numeric) const override {
        const std::optional<std::string> a = ValueOf(Left, fields, numeric);
        const std::optional<std::string> b = ValueOf(Right, fields, numeric);
        if (!a || !b) return false;
        if (Op == "eq") return *a == *b;
        if (Op == "ne") return *a != *b;
        const double x = NumberOf(*a);
        const double y = NumberOf(*b);
        if (Op == "==") return x == y;
        if (Op == "!=") return x != y;
        if (Op == "<") return x < y;
        if (Op == "<=") return x <= y;
        if (Op == ">") return x > y;
        return x >= y;
    }

private:
    Operand Left;
    std::string Op;
    Operand Right;
};

class Match : public Node {
public:
    Match(Operand operand, std::regex re, bool negated)
        : What(std::move(operand)), Re(std::move(re)), Negated(negated) {}
    bool Holds(const std::vector<Field> &fields, bool numeric) const override {
        const std::optional<std::string> value = ValueOf(What, fields, numeric);
        if (!value) return false;
        return std::regex_search(*value, Re) != Negated;
    }

private:
    Operand What;
    std::regex Re;
    bool Negated;
};

class Not : public Node {
public:
    explicit Not(std::unique_ptr<Condition> inner) : Inner(std::move(inner)) {}
    bool Holds(const std::vector<Field> &fields, bool numeric) const override { return !Inner->Holds(fields, numeric); }

private:
    std::unique_ptr<Condition> Inner;
};

class Both : public Node {
public:
    Both(std::unique_ptr<Condition> a, std::unique_ptr<Condition> b, bool any)
        : A(std::move(a)), B(std::move(b)), Any(any) {}
    bool Holds(const std::vector<Field> &fields, bool numeric) const override {
        return Any ? A->Holds(fields, numeric) || B->Holds(fields, numeric)
                   : A->Holds(fields, numeric) && B->Holds(fields, numeric);
    }

private:
    std::unique_ptr<Condition> A;
    std::unique_ptr<Condition> B;
    bool Any;
};

// Recursive descent over the text; the first fault stops it.
class Parser {
public:
    explicit Parser(std::string_view text) : Text(text) {}

    std::unique_ptr<Condition> Whole(std::string &error) {
        std::unique_ptr<Condition> c = Or();
        Blanks();
        if (Error.empty() && At < Text.size()) Error = "unexpected '" + std::string(Text.substr(At)) + "'";
        error = Error;
        return Error.empty() ? std::move(c) : nullptr;
    }

private:
    std::string_view Text;
    size_t At = 0;
    std::string Error;

    void Blanks() {
        while (At < Text.size() && (Text[At] == ' ' || Text[At] == '\t' || Text[At] == '\n' || Text[At] == '\r')) ++At;
    }
    // Takes `word` when it comes next (a word not followed by a letter).
    bool Take(std::string_view word) {
        Blanks();
        if (Text.substr(At, word.size()) != word) return false;
        const size_t after = At + word.size();
        const bool isWord = (word[0] >= 'a' && word[0] <= 'z');
        if (isWord && after < Text.size() &&
            (std::isalnum(static_cast<unsigned char>(Text[after])) || Text[after] == '_'))
            return false;
        At = after;
        return true;
    }
    std::unique_ptr<Condition> Fail(std::string message) {
        if (Error.empty()) Error = std::move(message);
        return nullptr;
    }

    std::unique_ptr<Condition> Or() {
        std::unique_ptr<Condition> left = And();
        while (Error.empty() && (Take("or") || Take("||"))) left = std::make_unique<Both>(std::move(left), And(), true);
        return left;
    }
    std::unique_ptr<Condition> And() {
        std::unique_ptr<Condition> left = Unary();
        while (Error.empty() && (Take("and") || Take("&&")))
            left = std::make_unique<Both>(std::move(left), Unary(), false);
        return left;
    }
    std::unique_ptr<Condition> Unary() {
        if (!Error.empty()) return nullptr;
        if (Take("not") || Take("!")) {
            std::unique_ptr<Condition> inner = Unary();
            if (!inner) return nullptr;
            return std::make_unique<Not>(std::move(inner));
        }
        if (Take("(")) {
            std::unique_ptr<Condition> inner = Or();
            if (!Take(")")) return Fail("a '(' without its ')'");
            return inner;
        }
        return Comparison();
    }
    std::unique_ptr<Condition> Comparison() {
        std::optional<Operand> left = TakeOperand();
        if (!left) return Fail("a $TAG, a number or a quoted text wanted at '" + std::string(Text.substr(At)) + "'");
        for (const std::string_view match : {"=~", "!~"})
            if (Take(match)) return Regex(std::move(*left), match == "!~");
        for (const std::string_view op : {"==", "!=", "<=", ">=", "<", ">", "eq", "ne"})
            if (Take(op)) {
                std::optional<Operand> right = TakeOperand();
                if (!right) return Fail("a value wanted after '" + std::string(op) + "'");
                return std::make_unique<Compare>(std::move(*left), std::string(op), std::move(*right));
            }
        return std::make_unique<Exists>(std::move(*left));
    }
    std::unique_ptr<Condition> Regex(Operand left, bool negated) {
        Blanks();
        if (At >= Text.size() || Text[At] != '/') return Fail("a /regular expression/ wanted after =~");
        std::string pattern;
        for (++At; At < Text.size() && Text[At] != '/'; ++At) {
            if (Text[At] == '\\' && At + 1 < Text.size() && Text[At + 1] == '/') ++At;
            pattern += Text[At];
        }
        if (At >= Text.size()) return Fail("a regular expression without its closing /");
        ++At;
        auto flags = std::regex::ECMAScript;
        if (At < Text.size() && Text[At] == 'i') {
            flags |= std::regex::icase;
            ++At;
        }
        try {
            return std::make_unique<Match>(std::move(left), std::regex(pattern, flags), negated);
        } catch (const std::regex_error &) {
            return Fail("not a regular expression: /" + pattern + "/");
        }
    }
    std::optional<Operand> TakeOperand() {
        Blanks();
        if (At >= Text.size()) return std::nullopt;
        const char c = Text[At];
        if (c == '$') return TakeTag();
        if (c == '"' || c == '\'') {
            const size_t end = Text.find(c, At + 1);
            if (end == std::string_view::npos) return std::nullopt;
            Operand o{false, std::string(Text.substr(At + 1, end - At - 1))};
            At = end + 1;
            return o;
        }
        const size_t start = At;
        while (At < Text.size() && (std::isalnum(static_cast<unsigned char>(Text[At])) || Text[At] == '.' ||
                                    Text[At] == '/' || Text[At] == '-' || Text[At] == '+' || Text[At] == ':'))
            ++At;
        if (At == start) return std::nullopt;
        return Operand{false, std::string(Text.substr(start, At - start))};
    }
    std::optional<Operand> TakeTag() {
        ++At;  // the "$"
        if (At < Text.size() && Text[At] == '{') {
            const size_t end = Text.find('}', At);
            if (end == std::string_view::npos) return std::nullopt;
            Operand o{true, std::string(Text.substr(At + 1, end - At - 1))};
            At = end + 1;
            return o;
        }
        const size_t start = At;
        while (At < Text.size() && (std::isalnum(static_cast<unsigned char>(Text[At])) || Text[At] == '_' ||
                                    Text[At] == ':' || Text[At] == '-' || Text[At] == '*' || Text[At] == '?'))
            ++At;
        if (At == start) return std::nullopt;
        return Operand{true, std::string(Text.substr(start, At - start))};
    }
};

}  // namespace

std::unique_ptr<Condition> Condition::Parse(const std::string &text, std::string &error) {
    return Parser(text).Whole(error);
}

}  // namespace cli
