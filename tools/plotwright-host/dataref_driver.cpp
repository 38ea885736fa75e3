#include "dataref_driver.h"

#include "xphost/datarefs.h"

namespace plotwright_host {

DataRefDriver::Driven *DataRefDriver::find(const std::string &name) {
    for (Driven &driven : datarefs_)
        if (driven.Name == name) return &driven;
    return nullptr;
}

std::unique_ptr<Formula> DataRefDriver::compile(const std::string &text, std::string *error) {
    std::vector<NamedValue> values;
    for (const auto &let : lets_)
        values.push_back({let->Name, &let->Value});
    return Formula::compile(text, error, values);
}

bool DataRefDriver::defineLet(const DefineLet &let, std::string *error) {
    for (const auto &known : lets_)
        if (known->Name == let.Name) {
            *error = "the value " + let.Name + " is already defined";
            return false;
        }
    auto value = std::make_unique<Let>();
    value->Name = let.Name;
    value->Rule = compile(let.Formula, error);
    if (!value->Rule) return false;
    lets_.push_back(std::move(value));
    return true;
}

bool DataRefDriver::define(const DefineDataRef &define, std::string *error) {
    Driven *earlier = find(define.Name);
    if (earlier != nullptr && !earlier->Withdrawn) {
        *error = "the dataref " + define.Name + " is already defined";
        return false;
    }
    Driven driven;
    driven.Name = define.Name;
    driven.TypeMask = define.TypeMask;
    driven.IsArray = isArrayTypeMask(define.TypeMask);
    driven.Length = driven.IsArray ? define.Length : 1;
    driven.Formulas.resize(driven.Length);
    if (!define.Formula.empty()) {
        std::shared_ptr<Formula> formula = compile(define.Formula, error);
        if (!formula) return false;
        for (auto &slot : driven.Formulas)
            slot = formula;
    }
    xphost::defineDataRefWithTypes(define.Name, define.TypeMask,
                                   driven.IsArray ? driven.Length : 0);
    // Published again: the same handle, with its new types and formula.
    if (earlier != nullptr)
        *earlier = std::move(driven);
    else
        datarefs_.push_back(std::move(driven));
    return true;
}

bool DataRefDriver::withdraw(const WithdrawDataRef &withdraw, std::string *error) {
    Driven *driven = find(withdraw.Name);
    if (driven == nullptr || driven->Withdrawn) {
        *error = "no dataref " + withdraw.Name + " is published to withdraw";
        return false;
    }
    driven->Withdrawn = true;
    xphost::withdrawDataRef(withdraw.Name);
    return true;
}

bool DataRefDriver::setFormula(const SetFormula &set, std::string *error) {
    Driven *driven = find(set.Name);
    if (driven == nullptr) {
        *error = "no dataref " + set.Name + " is defined (define it with a dataref line first)";
        return false;
    }
    if (set.Element >= 0 && !driven->IsArray) {
        *error = set.Name + " is a " + dataRefTypeName(driven->TypeMask, driven->Length) +
                 ", not an array";
        return false;
    }
    if (set.Element >= 0 && static_cast<std::size_t>(set.Element) >= driven->Length) {
        *error = set.Name + " has " + std::to_string(driven->Length) + " elements; element " +
                 std::to_string(set.Element) + " does not exist";
        return false;
    }
    std::shared_ptr<Formula> formula = compile(set.Formula, error);
    if (!formula) return false;
    if (set.Element >= 0)
        driven->Formulas[static_cast<std::size_t>(set.Element)] = formula;
    else
        for (auto &slot : driven->Formulas)
            slot = formula;
    return true;
}

void DataRefDriver::update(double t) {
    if (!failure_.empty()) return;
    for (const auto &let : lets_) {
        std::string error;
        if (!let->Rule->evaluate(t, 0.0, &let->Value, &error)) {
            failure_ = "let " + let->Name + ": " + error;
            return;
        }
    }
    for (Driven &driven : datarefs_) {
        if (driven.Withdrawn) continue;
        for (std::size_t element = 0; element < driven.Length; ++element) {
            Formula *formula = driven.Formulas[element].get();
            if (formula == nullptr) continue;
            double value = 0.0;
            std::string error;
            if (!formula->evaluate(t, static_cast<double>(element), &value, &error)) {
                failure_ = driven.Name +
                           (driven.IsArray ? "[" + std::to_string(element) + "]" : "") + ": " +
                           error;
                return;
            }
            if (driven.IsArray)
                xphost::setDataRefElement(driven.Name, element, value);
            else
                xphost::setDataRefValue(driven.Name, value);
        }
    }
}

} // namespace plotwright_host
