#pragma once

namespace mUtil
{

// Closes every open top-level window of the program, one after another.
void UnloadAllForms();

} // namespace mUtil
