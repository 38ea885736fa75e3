#include "formula.h"

#include <muParser.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>

namespace plotwright_host {
namespace {

double clampTo(double x, double low, double high) { return std::min(std::max(x, low), high); }

// 0 before a, 1 after b, linear in between: a control moved at a steady rate.
double ramp(double x, double a, double b) {
    if (b <= a) return x >= b ? 1.0 : 0.0;
    return clampTo((x - a) / (b - a), 0.0, 1.0);
}

// As ramp, but easing in and out: how a pilot moves a lever or an aircraft settles.
double smooth(double x, double a, double b) {
    const double r = ramp(x, a, b);
    return r * r * (3.0 - 2.0 * r);
}

double step(double x, double a) { return x >= a ? 1.0 : 0.0; }

// The area under ramp(s, a, b) for s up to x: integrating a rate that ramps up (a vertical speed)
// gives the matching quantity (the altitude) in closed form.
double rampIntegral(double x, double a, double b) {
    if (x <= a) return 0.0;
    if (b <= a) return x - a;
    if (x <= b) return (x - a) * (x - a) / (2.0 * (b - a));
    return (b - a) / 2.0 + (x - b);
}

double latticeValue(std::int64_t cell, double seed) {
    std::uint64_t h = static_cast<std::uint64_t>(cell) * 0x9E3779B97F4A7C15ULL ^
                      static_cast<std::uint64_t>(static_cast<std::int64_t>(seed * 1000.0));
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    return static_cast<double>(h >> 11) / static_cast<double>(1ULL << 53) * 2.0 - 1.0;
}

// Smooth, repeatable pseudo-random wiggle in -1..1 with features about one unit of x apart:
// turbulence for attitude and speed without making runs differ.
double noise(double x, double seed) {
    if (!std::isfinite(x)) return 0.0;
    const double cell = std::floor(x);
    const double f = x - cell;
    const double blend = f * f * (3.0 - 2.0 * f);
    const auto c = static_cast<std::int64_t>(cell);
    return latticeValue(c, seed) * (1.0 - blend) + latticeValue(c + 1, seed) * blend;
}

} // namespace

struct Formula::Engine {
    mu::Parser parser;
    double t = 0.0;
    double i = 0.0;
};

Formula::~Formula() = default;

std::unique_ptr<Formula> Formula::compile(const std::string &text, std::string *error,
                                          const std::vector<NamedValue> &values) {
    std::unique_ptr<Formula> formula(new Formula());
    formula->text_ = text;
    formula->engine_ = std::make_unique<Engine>();
    Engine &engine = *formula->engine_;
    try {
        engine.parser.DefineVar("t", &engine.t);
        engine.parser.DefineVar("i", &engine.i);
        for (const NamedValue &value : values)
            engine.parser.DefineVar(value.Name, value.Value);
        engine.parser.DefineConst("pi", 3.14159265358979323846);
        engine.parser.DefineFun("ramp", ramp);
        engine.parser.DefineFun("smooth", smooth);
        engine.parser.DefineFun("step", step);
        engine.parser.DefineFun("rampint", rampIntegral);
        engine.parser.DefineFun("clamp", clampTo);
        engine.parser.DefineFun("noise", noise);
        engine.parser.SetExpr(text);
        const double probe = engine.parser.Eval();
        if (!std::isfinite(probe)) {
            if (error != nullptr)
                *error = "the formula '" + text + "' is not a finite number at t = 0";
            return nullptr;
        }
    } catch (const mu::Parser::exception_type &e) {
        if (error != nullptr) {
            *error = "bad formula '" + text + "': " + e.GetMsg();
            if (e.GetPos() >= 0 && static_cast<std::size_t>(e.GetPos()) <= text.size())
                *error += " (at column " + std::to_string(e.GetPos() + 1) + ")";
        }
        return nullptr;
    }
    return formula;
}

bool Formula::evaluate(double t, double element, double *value, std::string *error) {
    engine_->t = t;
    engine_->i = element;
    try {
        const double result = engine_->parser.Eval();
        if (!std::isfinite(result)) {
            if (error != nullptr)
                *error = "the formula '" + text_ + "' gave " + std::to_string(result) +
                         " at t = " + std::to_string(t);
            return false;
        }
        *value = result;
        return true;
    } catch (const mu::Parser::exception_type &e) {
        if (error != nullptr) *error = "the formula '" + text_ + "' failed: " + e.GetMsg();
        return false;
    }
}

bool isFreeFormulaName(const std::string &name) {
    if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_'))
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    static const char *const kTaken[] = {
        "t",     "i",     "pi",    "ramp", "smooth", "step", "clamp", "noise", "rampint",
        "sin",   "cos",   "tan",   "asin", "acos",   "atan", "sinh",  "cosh",  "tanh",
        "asinh", "acosh", "atanh", "log2", "log10",  "log",  "ln",    "exp",   "sqrt",
        "sign",  "rint",  "abs",   "min",  "max",    "sum",  "avg",   "_pi",   "_e"};
    for (const char *taken : kTaken)
        if (name == taken) return false;
    return true;
}

const char *formulaHelpText() {
    return "t (seconds), i (array element), pi, ramp(x,a,b), rampint(x,a,b), smooth(x,a,b), "
           "step(x,a), "
           "clamp(x,lo,hi), noise(x,seed), and muparser's functions and operators";
}

} // namespace plotwright_host
