#include "core/quality/StepTolerances.h"

#include "core/quality/DecimalNumber.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace travek {

namespace {

// Twice every number, so that the middle of two limits is whole too; 100 × a distance of 17
// digits needs more than 64 bits.
__extension__ using Wide = __int128;

template <typename Number>
Verdict judgeIn(Number value, std::optional<Number> lower, std::optional<Number> upper,
                std::optional<Number> centre, int warningPercent) {
    if ((lower && value < *lower) || (upper && value > *upper))
        return Verdict::Nok;
    if (warningPercent <= 0 || !centre)
        return Verdict::Ok;
    const Number percent = static_cast<Number>(warningPercent);
    if (upper && value > *centre && (value - *centre) * 100 > percent * (*upper - *centre))
        return Verdict::Warn;
    if (lower && value < *centre && (*centre - value) * 100 > percent * (*centre - *lower))
        return Verdict::Warn;
    return Verdict::Ok;
}

// The numbers as whole multiples of one power of ten, doubled; nothing where one of them has too
// many digits for that.
std::optional<Wide> doubledUnits(const std::optional<DecimalNumber>& number, int decimals) {
    if (!number)
        return std::nullopt;
    const auto units = number->unitsAt(decimals);
    if (!units)
        return std::nullopt;
    return Wide{*units} * 2;
}

// Numbers of more digits than 64 bits hold: as near as a long double gets.
Verdict judgeApproximately(const Tolerance& tolerance, long double value, int warningPercent) {
    const auto wide = [](const std::optional<double>& x) {
        return x ? std::optional<long double>(*x) : std::nullopt;
    };
    std::optional<long double> centre = wide(tolerance.nominal);
    if (!centre && tolerance.lower && tolerance.upper)
        centre = (static_cast<long double>(*tolerance.lower) + *tolerance.upper) / 2;
    return judgeIn<long double>(value, wide(tolerance.lower), wide(tolerance.upper), centre, warningPercent);
}

} // namespace

Verdict judge(const Tolerance& tolerance, double value, int warningPercent) {
    if (!tolerance.hasLimits())
        return Verdict::None;
    const auto decimal = [](const std::optional<double>& x) {
        return x ? DecimalNumber::of(*x) : std::nullopt;
    };
    const auto v = DecimalNumber::of(value);
    const auto lo = decimal(tolerance.lower);
    const auto hi = decimal(tolerance.upper);
    const auto nominal = decimal(tolerance.nominal);
    int decimals = v ? v->decimals : 0;
    for (const auto* n : {&lo, &hi, &nominal})
        if (*n)
            decimals = std::max(decimals, (*n)->decimals);
    const auto V = doubledUnits(v, decimals);
    const auto L = doubledUnits(lo, decimals);
    const auto H = doubledUnits(hi, decimals);
    const auto N = doubledUnits(nominal, decimals);
    const bool exact = V && (L || !tolerance.lower) && (H || !tolerance.upper) && (N || !tolerance.nominal);
    if (!exact)
        return judgeApproximately(tolerance, value, warningPercent);
    std::optional<Wide> centre = N;
    if (!centre && L && H)
        centre = (*L + *H) / 2;
    return judgeIn<Wide>(*V, L, H, centre, warningPercent);
}

std::string toleranceProblem(const Tolerance& tolerance) {
    if (tolerance.lower && tolerance.upper && *tolerance.lower > *tolerance.upper)
        return "UGW liegt \xFC"
               "ber OGW";
    if (tolerance.nominal && ((tolerance.lower && *tolerance.nominal < *tolerance.lower) ||
                              (tolerance.upper && *tolerance.nominal > *tolerance.upper)))
        return "Soll liegt au\xDF"
               "erhalb der Grenzen";
    return {};
}

const Tolerance& StepTolerances::step(int step) const {
    return m_steps.at(static_cast<std::size_t>(std::clamp(step, 0, MaxSteps + 1)));
}

void StepTolerances::setStep(int step, Tolerance tolerance, int decimals) {
    if (step < 1 || step > MaxSteps)
        return;
    m_steps[static_cast<std::size_t>(step)] = std::move(tolerance);
    m_decimals[static_cast<std::size_t>(step)] = decimals;
    m_refused.erase(step);
}

void StepTolerances::setRefused(int step, const ToleranceTexts& texts, std::string characteristic) {
    if (step < 1 || step > MaxSteps)
        return;
    m_steps[static_cast<std::size_t>(step)] = Tolerance{std::move(characteristic), {}, {}, {}};
    m_refused[step] = texts;
}

const ToleranceTexts* StepTolerances::refused(int step) const {
    const auto found = m_refused.find(step);
    return found == m_refused.end() ? nullptr : &found->second;
}

void StepTolerances::setSettings(const ToleranceSettings& settings) {
    m_settings = settings;
}

void StepTolerances::insertStep(int step) {
    if (step < 1 || step > MaxSteps)
        return;
    std::move_backward(m_steps.begin() + step, m_steps.begin() + MaxSteps, m_steps.begin() + MaxSteps + 1);
    std::move_backward(m_decimals.begin() + step, m_decimals.begin() + MaxSteps,
                       m_decimals.begin() + MaxSteps + 1);
    m_steps[static_cast<std::size_t>(step)] = Tolerance{};
    std::map<int, ToleranceTexts> moved;
    for (auto& [n, texts] : m_refused)
        if (n < step || n < MaxSteps)
            moved[n < step ? n : n + 1] = std::move(texts);
    m_refused = std::move(moved);
}

void StepTolerances::removeStep(int step) {
    if (step < 1 || step > MaxSteps)
        return;
    std::move(m_steps.begin() + step + 1, m_steps.end(), m_steps.begin() + step);
    std::move(m_decimals.begin() + step + 1, m_decimals.end(), m_decimals.begin() + step);
    m_steps[MaxSteps] = Tolerance{};
    std::map<int, ToleranceTexts> moved;
    for (auto& [n, texts] : m_refused)
        if (n != step)
            moved[n < step ? n : n - 1] = std::move(texts);
    m_refused = std::move(moved);
}

void StepTolerances::clear() {
    m_steps.fill(Tolerance{});
    m_decimals.fill(0);
    m_refused.clear();
    m_settings = ToleranceSettings{};
}

bool StepTolerances::empty() const {
    return m_settings == ToleranceSettings{} && m_refused.empty() &&
           std::all_of(m_steps.begin(), m_steps.end(), [](const Tolerance& t) { return t == Tolerance{}; });
}

ToleranceTexts StepTolerances::texts(int n) const {
    if (const ToleranceTexts* texts = refused(n))
        return *texts;
    const Tolerance& t = step(n);
    const int decimals = m_decimals.at(static_cast<std::size_t>(std::clamp(n, 0, MaxSteps + 1)));
    const auto number = [decimals](const std::optional<double>& x) {
        return x ? formatDecimal(*x, decimals) : std::string();
    };
    return {t.characteristic, number(t.nominal), number(t.lower), number(t.upper)};
}

std::string StepTolerances::cellText(int n) const {
    const Tolerance& t = step(n);
    const int minDecimals = m_decimals.at(static_cast<std::size_t>(std::clamp(n, 0, MaxSteps + 1)));
    std::string text = t.characteristic;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : " ") + part; };
    if (refused(n)) {
        add("(Grenzen verworfen)");
        return text;
    }
    if (t.nominal) {
        add(formatDecimal(*t.nominal, minDecimals));
        std::string deviations;
        if (t.upper)
            deviations = formatDeviation(decimalDifference(*t.upper, *t.nominal), minDecimals);
        if (t.lower)
            deviations += (deviations.empty() ? "" : "/") +
                          formatDeviation(-decimalDifference(*t.nominal, *t.lower), minDecimals);
        if (!deviations.empty())
            add(deviations);
        return text;
    }
    if (t.lower)
        add("min " + formatDecimal(*t.lower, minDecimals));
    if (t.upper)
        add("max " + formatDecimal(*t.upper, minDecimals));
    return text;
}

} // namespace travek
