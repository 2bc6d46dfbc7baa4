#pragma once

namespace sorvane {

// Why a pattern's rewrite ended before the end of its stream, the stream aside.
enum class PatternTrouble {
  None,
  MatchTooLong,           // a match could run on past what the buffer holds
  TooComplex,             // a match took more steps, or more stack, than any match may
  OverBudget,             // the stream took longer than a stream may
  UnwritableReplacement,  // the template's text has no form in the stream's encoding
};

}  // namespace sorvane
