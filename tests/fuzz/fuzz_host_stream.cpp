// libFuzzer target for the host simulator's stream decoder and virtual keyboard: whatever
// a peer writes to the socket, in whatever pieces, the decoder must cut the same messages,
// keep only whole messages of the declared size, and the keyboard must digest them.
#include "HostMessage.h"
#include "KeyboardState.h"
#include "WireFormat.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

struct Outcome {
    bool ok = true;
    std::vector<hostsim::Message> messages;
    size_t pending = 0;
};

// Feeds `data` in pieces whose sizes come from `cuts` (cycled); a size of 0 feeds nothing,
// as a read that returned no bytes would.
Outcome feedInPieces(const uint8_t* data, size_t size, const uint8_t* cuts, size_t cutCount) {
    Outcome outcome;
    hostsim::StreamDecoder decoder;
    size_t at = 0, turn = 0;
    while (at < size && outcome.ok) {
        size_t piece = size - at;
        if (cutCount > 0) piece = std::min<size_t>(piece, cuts[turn++ % cutCount] * 7u);
        outcome.ok = decoder.feed(data + at, piece, 0.0, outcome.messages);
        at += piece;
        if (turn > size + cutCount + 16) break; // only zero-size pieces: give up, as a peer would
    }
    if (at < size && outcome.ok)
        outcome.ok = decoder.feed(data + at, size - at, 0.0, outcome.messages);
    outcome.pending = decoder.pendingBytes();
    if (!outcome.ok && decoder.error().empty()) __builtin_trap(); // a drop must say why
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first bytes choose how the stream is cut; the rest is the stream.
    const size_t cutCount = size > 0 ? std::min<size_t>(data[0] % 8, size - 1) : 0;
    const uint8_t* cuts = data + (size > 0 ? 1 : 0);
    const uint8_t* stream = cuts + cutCount;
    const size_t streamSize = size - (stream - data);

    const Outcome whole = feedInPieces(stream, streamSize, nullptr, 0);
    const Outcome pieces = feedInPieces(stream, streamSize, cuts, cutCount);

    // Messages found before a fault are the same however the bytes arrived; a stream that is
    // accepted whole is accepted in pieces, with the same tail left over.
    if (whole.ok != pieces.ok) __builtin_trap();
    if (whole.pending != pieces.pending) __builtin_trap();
    if (whole.messages.size() != pieces.messages.size()) __builtin_trap();

    size_t consumed = 0;
    hostsim::KeyboardState keyboard;
    for (size_t i = 0; i < whole.messages.size(); ++i) {
        const hostsim::Message& m = whole.messages[i];
        if (m.bytes != pieces.messages[i].bytes) __builtin_trap();
        if (m.bytes.size() != corvwire::messageLength(m.command)) __builtin_trap();
        if (!std::equal(m.bytes.begin(), m.bytes.end(), stream + consumed)) __builtin_trap();
        consumed += m.bytes.size();
        if (m.toJson().empty()) __builtin_trap();
        keyboard.apply(m);
        (void)keyboard.keyColor(m.field(8), static_cast<int>(m.field(12) % 512));
    }
    if (whole.ok && consumed + whole.pending != streamSize) __builtin_trap();
    return 0;
}
