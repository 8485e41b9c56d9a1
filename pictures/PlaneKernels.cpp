#include "PlaneKernels.h"

#include "pictures/PlaneKernelsScalar.h"

#include <QtGlobal>
#include <cstdlib>

namespace planes {
namespace {

InstructionSet widestAvailable() {
    InstructionSet widest = InstructionSet::Scalar;
    for (const InstructionSet set : kInstructionSets)
        if (kernelsFor(set))
            widest = set;
    return widest;
}

InstructionSet chooseAtStart() {
    const char* requested = std::getenv("GYROLOOK_SIMD");
    const InstructionSet chosen = chooseInstructionSet(requested, widestAvailable());
    if (requested && *requested && instructionSetName(chosen) != requested)
        qWarning("GYROLOOK_SIMD=%s is not a path this processor has (scalar, sse2 or avx2); "
                 "converting pictures with %s",
                 requested, instructionSetName(chosen).data());
    return chosen;
}

} // namespace

const Kernels* kernelsFor(InstructionSet set) {
    switch (set) {
    case InstructionSet::Scalar:
        return &scalarKernels();
    case InstructionSet::Sse2:
        return sse2Kernels();
    case InstructionSet::Avx2:
        return avx2Kernels();
    }
    return nullptr;
}

InstructionSet chosenInstructionSet() {
    static const InstructionSet chosen = chooseAtStart();
    return chosen;
}

const Kernels& kernels() {
    static const Kernels& chosen = *kernelsFor(chosenInstructionSet());
    return chosen;
}

std::string_view instructionSetName(InstructionSet set) {
    switch (set) {
    case InstructionSet::Scalar:
        return "scalar";
    case InstructionSet::Sse2:
        return "sse2";
    case InstructionSet::Avx2:
        return "avx2";
    }
    return {};
}

std::optional<InstructionSet> instructionSetNamed(std::string_view name) {
    for (const InstructionSet set : kInstructionSets)
        if (instructionSetName(set) == name)
            return set;
    return std::nullopt;
}

InstructionSet chooseInstructionSet(const char* requested, InstructionSet widest) {
    const std::optional<InstructionSet> named =
        requested ? instructionSetNamed(requested) : std::nullopt;
    return named && *named <= widest ? *named : widest;
}

} // namespace planes
