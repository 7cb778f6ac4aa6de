#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "forms/actions.h"

using namespace forms;

namespace {

// The leg's range on the two-leg calculator: 0,50 to 20,00 metres.
constexpr int kMin = 50, kMax = 2000;

}  // namespace

TEST(TypedMetres, TakesEitherSeparatorAndUpToTwoDecimals) {
    const struct {
        const char* typed;
        int centimetres;
    } cases[] = {{"2,50", 250},   {"2.50", 250},     {"2,5", 250},   {"2.", 200},
                 {"2", 200},      {" 12,34 ", 1234}, {"0,5", 50},    {",75", 75},
                 {"20,00", 2000}, {"+3", 300},       {"007,07", 707}};
    for (const auto& c : cases) {
        const auto got = typedMetres(c.typed, kMin, kMax);
        ASSERT_TRUE(std::holds_alternative<int>(got)) << c.typed << ": " << std::get<1>(got);
        EXPECT_EQ(std::get<int>(got), c.centimetres) << c.typed;
    }
}

TEST(TypedMetres, RefusesWithAShortMessageInPortuguese) {
    const struct {
        const char* typed;
        const char* refusal;
    } cases[] = {
        {"", "Escreva os metros em algarismos, por exemplo 2,50."},
        {"  ", "Escreva os metros em algarismos, por exemplo 2,50."},
        {"abc", "Escreva os metros em algarismos, por exemplo 2,50."},
        {"2,5m", "Escreva os metros em algarismos, por exemplo 2,50."},
        {"1.250,00", "Escreva os metros em algarismos, por exemplo 2,50."},
        {"2 50", "Escreva os metros em algarismos, por exemplo 2,50."},
        {",", "Escreva os metros em algarismos, por exemplo 2,50."},
        {"2,505", "No máximo duas casas decimais: ao centímetro."},
        {"2,500", "No máximo duas casas decimais: ao centímetro."},
        {"0,49", "Fora dos limites: de 0,50 a 20,00 metros."},
        {"20,01", "Fora dos limites: de 0,50 a 20,00 metros."},
        {"-1", "Fora dos limites: de 0,50 a 20,00 metros."},
        // Far too large for a slider: refused, not wrapped round.
        {"99999999999999999999", "Fora dos limites: de 0,50 a 20,00 metros."},
    };
    for (const auto& c : cases) {
        const auto got = typedMetres(c.typed, kMin, kMax);
        ASSERT_TRUE(std::holds_alternative<std::string>(got)) << '"' << c.typed << '"';
        EXPECT_EQ(std::get<std::string>(got), c.refusal) << '"' << c.typed << '"';
    }
}

TEST(TypedWeight, TakesWholeKilogramsFrom1To999999) {
    const struct {
        const char* typed;
        int kg;  // -1: refused
    } cases[] = {{"1200", 1200},
                 {" 12 500 ", 12500},
                 {"999\u00A0999", 999999},
                 {"1", 1},
                 {"", 0},
                 {"  ", 0},
                 {"0", -1},
                 {"1000000", -1},
                 {"1,5", -1},
                 {"1.200", -1},
                 {"-5", -1},
                 {"12kg", -1},
                 {"99999999999999999999", -1},
                 // Blanks only between thousands: a slip is not read as another number.
                 {"12 50", -1},
                 {"1 2 3", -1},
                 {"1  000", -1},
                 {"1234 567", -1}};
    for (const auto& c : cases) EXPECT_EQ(typedWeight(c.typed), c.kg) << '"' << c.typed << '"';
}

TEST(MetresInWords, SaysTheValueAsItIsWrittenInPortugal) {
    EXPECT_EQ(metresInWords(250), "2,50 metros");
    EXPECT_EQ(metresInWords(100), "1,00 metro");
    EXPECT_EQ(metresInWords(5), "0,05 metros");
    EXPECT_EQ(metresInWords(2000), "20,00 metros");
    EXPECT_EQ(metresInWords(-50), "-0,50 metros");
}
