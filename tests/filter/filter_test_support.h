// Helpers for the ShowOnly filter tests: running an equation text through
// ReadShowOnlyEquation, and frames laid out as the reader locates them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/text_source.h"
#include "filter/filter_state.h"
#include "filter/opcodes.h"

namespace zelmot::test {

// Reads equation (which must carry its '#') as the text after a ShowOnly line.
inline Outcome ReadEquation(const std::string& equation, FilterState& state) {
    TextSource source;
    source.Text = equation;
    return ReadShowOnlyEquation(source, state);
}

// The message of a failed read, or "" on success.
inline std::string ReadMessage(const std::string& equation) {
    FilterState state;
    return ReadEquation(equation, state).Text;
}

// A program as opcode names, each inline word after its opcode, the end
// word as END: "ADDRESS 0 LITERAL 5 EQUAL END". Tests read names, so a
// renumbered opcode changes no expectation.
inline std::string Disassemble(const std::vector<std::int32_t>& program) {
    struct Name { Opcode Code; const char* Text; };
    static constexpr Name kNames[] = {
        {Opcode::NOT, "NOT"}, {Opcode::NEGATE, "NEGATE"}, {Opcode::COMPL, "COMPL"},
        {Opcode::MULT, "MULT"}, {Opcode::DIV, "DIV"}, {Opcode::MOD, "MOD"}, {Opcode::ADD, "ADD"},
        {Opcode::SUB, "SUB"}, {Opcode::LESS, "LESS"}, {Opcode::GREATER, "GREATER"},
        {Opcode::LESSEQUAL, "LESSEQUAL"}, {Opcode::GREATEREQUAL, "GREATEREQUAL"},
        {Opcode::EQUAL, "EQUAL"}, {Opcode::NOTEQUAL, "NOTEQUAL"}, {Opcode::BITWISEAND, "BITAND"},
        {Opcode::BITWISEOR, "BITOR"}, {Opcode::BITWISEXOR, "BITXOR"}, {Opcode::AND, "AND"},
        {Opcode::OR, "OR"}, {Opcode::STS, "STS"}, {Opcode::LEN, "LEN"}, {Opcode::SD, "SD"},
        {Opcode::ADDRESS, "ADDRESS"}, {Opcode::FC, "FC"}, {Opcode::DSAP, "DSAP"}, {Opcode::SSAP, "SSAP"},
        {Opcode::GapTme, "GapTme"}, {Opcode::GapAft, "GapAft"}, {Opcode::DataByte, "DataByte"},
        {Opcode::DataWord, "DataWord"}, {Opcode::LITERAL, "LITERAL"}, {Opcode::CmdArg, "CmdArg"},
        {Opcode::START, "END"},
    };
    std::string text;
    for (std::size_t i = 0; i < program.size(); ++i) {
        if (!text.empty()) text += ' ';
        const Opcode code = static_cast<Opcode>(program[i]);
        const char* name = nullptr;
        for (const Name& entry : kNames)
            if (entry.Code == code) name = entry.Text;
        text += name != nullptr ? name : "?" + std::to_string(program[i]);
        if (HasInlineWord(code) && i + 1 < program.size()) text += ' ' + std::to_string(program[++i]);
    }
    return text;
}

// A frame's bytes together with the field locations that point into them.
struct TestFrame {
    std::vector<std::uint8_t> bytes;
    FilterInputs in;
};

inline FilterInputs Bind(TestFrame& frame) {
    frame.in.Bytes = frame.bytes.data();
    frame.in.Count = static_cast<std::uint8_t>(frame.bytes.size());
    return frame.in;
}

// SD1 request from station 2 to station 5 with FC 0x49: 10 05 02 49 50 16.
inline TestFrame Sd1Frame() {
    TestFrame f{{0x10, 0x05, 0x02, 0x49, 0x50, 0x16}, {}};
    f.in.Fields.SD = 0x10;
    f.in.Fields.DA = 1;
    f.in.Fields.FC = 3;
    return f;
}

// SD2 frame 5 <- 2 with SAP extension bits, FC 0x4C, DSAP 0x3D, SSAP 0x3E and
// the data bytes 0x12 0x34 0xAB 0xCD.
inline TestFrame Sd2Frame() {
    TestFrame f{{0x68, 0x09, 0x09, 0x68, 0x85, 0x82, 0x4C, 0x3D, 0x3E, 0x12, 0x34, 0xAB, 0xCD, 0x00, 0x16}, {}};
    f.in.Fields.SD = 0x68;
    f.in.Fields.DA = 4;
    f.in.Fields.FC = 6;
    f.in.Fields.DSAP = 7;
    f.in.Fields.SSAP = 8;
    f.in.Fields.Data = 9;
    f.in.Fields.DataLen = 4;
    return f;
}

// Token frame to station 5 from station 2: DC 05 02 (no FC).
inline TestFrame TokenFrame() {
    TestFrame f{{0xDC, 0x05, 0x02}, {}};
    f.in.Fields.SD = 0xDC;
    f.in.Fields.DA = 1;
    return f;
}

}  // namespace zelmot::test
