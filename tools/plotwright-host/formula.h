#pragma once
// A formula of the simulated time `t` (and, for arrays, the element number `i`), evaluated with
// muparser. Scenarios give every dataref value as one: a constant is simply a formula without `t`.

#include <memory>
#include <string>
#include <vector>

namespace plotwright_host {

// A value a formula may use by name besides t and i: the scenario's `let` values.
struct NamedValue {
    std::string Name;
    double *Value = nullptr;
};

class Formula {
public:
    Formula(const Formula &) = delete;
    Formula &operator=(const Formula &) = delete;
    ~Formula();

    // Compiles `text`; on a syntax error, an unknown name or a result that is not a number at
    // t = 0 returns nullptr and says why (with the column) in *error.
    static std::unique_ptr<Formula> compile(const std::string &text, std::string *error,
                                            const std::vector<NamedValue> &values = {});

    // The value at time t for array element `element` (0 for scalars). Returns false with the
    // reason in *error when the formula fails or gives an infinity or NaN.
    bool evaluate(double t, double element, double *value, std::string *error);

    const std::string &text() const { return text_; }

private:
    Formula() = default;
    struct Engine;
    std::unique_ptr<Engine> engine_;
    std::string text_;
};

// Whether `name` can be a `let` name: a letter or '_' then letters, digits or '_', and not a
// name formulas already know.
bool isFreeFormulaName(const std::string &name);

// The helpers scenarios may use besides muparser's own functions, for docs and errors.
const char *formulaHelpText();

} // namespace plotwright_host
