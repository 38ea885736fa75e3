#pragma once
// The simulator's side of a scenario: defines the datarefs in the host and, at the start of every
// frame, sets each one to its formula's value at the frame's time.

#include <memory>
#include <string>
#include <vector>

#include "formula.h"
#include "scenario.h"

namespace plotwright_host {

class DataRefDriver {
public:
    // Publishes the dataref in the host (all values 0) and gives it its formula, if any; a
    // withdrawn one is published again with the same handle.
    bool define(const DefineDataRef &define, std::string *error);
    // Takes a published dataref away; its formula stops.
    bool withdraw(const WithdrawDataRef &withdraw, std::string *error);
    // A named value later formulas may use.
    bool defineLet(const DefineLet &let, std::string *error);
    // Replaces the formula of a defined dataref, or of one of its elements.
    bool setFormula(const SetFormula &set, std::string *error);

    // Sets every dataref with a formula to its value at time t. The first failure is kept
    // (see failure()) and leaves the values of that frame as they were.
    void update(double t);
    const std::string &failure() const { return failure_; }

    std::size_t count() const { return datarefs_.size(); }

private:
    struct Driven {
        std::string Name;
        int TypeMask = xplmType_Float;
        std::size_t Length = 1;
        bool IsArray = false;
        bool Withdrawn = false;
        // One formula per element (one for a scalar); shared when one formula drives many.
        std::vector<std::shared_ptr<Formula>> Formulas;
    };
    Driven *find(const std::string &name);
    std::unique_ptr<Formula> compile(const std::string &text, std::string *error);

    struct Let {
        std::string Name;
        double Value = 0.0;
        std::unique_ptr<Formula> Rule;
    };
    // Held by pointer: formulas keep the address of each value.
    std::vector<std::unique_ptr<Let>> lets_;

    std::vector<Driven> datarefs_;
    std::string failure_;
};

} // namespace plotwright_host
