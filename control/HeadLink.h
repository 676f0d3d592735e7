// Talking to the camera head: the one place the station sends head commands and moves their
// arguments and answers.
//
// A command is its code written to the command property; its arguments go first into argument
// A (property 29) and argument B (property 6), and the head's answer comes back in the same two
// properties once it has had time to answer (the caller waits; nothing here waits). The head
// works in 16 bits: an argument written here keeps its low 16 bits (a negative amount goes out
// as its two's complement), and an answer is those 16 bits read back, unsigned or signed.
#pragma once

#include <cstdint>
#include <optional>

enum class HeadArgument { A, B };

// Sends command `code` to the camera head. The result is not examined: a missing camera makes
// every command a silent no-op.
void SendPtzCommand(uint32_t code);

// Writes argument A or B.
void WriteArgument(HeadArgument argument, int32_t value);

// The head's answer in argument A or B, or nothing when the read itself failed (camera closed
// or unplugged). For reads whose failure must not be taken as a reading of 0.
std::optional<uint16_t> TryReadArgument(HeadArgument argument);

// The answer, or 0 when the read failed: for reads where 0 is a safe reading.
uint16_t ReadArgument(HeadArgument argument);
