// Fuzz target: the network message decoder. Any input is read without a crash, a read past its
// end or an allocation beyond the bounds (the sanitizers watch); a message it accepts is exactly
// what the encoder writes for the message read, so that each message has one spelling (but for
// another protocol's Hello, read only as far as the fields every version has).
#include "FuzzSupport.h"

#include "net/Protocol.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
    const net::Decoded decoded = net::Decode(bytes);
    FUZZ_CHECK(decoded.message.has_value() == (decoded.refusal == net::Refusal::None));
    if (!decoded.message)
        return 0;
    // Another protocol's Hello is read only as far as every version's fields go.
    if (const auto* hello = std::get_if<net::Hello>(&*decoded.message);
        hello && hello->protocol != net::kProtocolVersion)
        return 0;
    const std::vector<std::byte> written = net::Encode(*decoded.message);
    FUZZ_CHECK(std::vector<std::byte>(bytes.begin(), bytes.end()) == written);
    return 0;
}
