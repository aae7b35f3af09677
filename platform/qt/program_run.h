#pragma once
// The run of a program's forms that both programs' entries share.
#include <string>

namespace forms {
class TForm;
}  // namespace forms

namespace qtpeers {

class QtApplicationRunner;

// Gives the forms their widgets, shows the first form and runs the loop until the program
// ends. An error that escapes a handler ends the loop with an error box captioned with the
// program's name. Then OnDestroy of every form fires while all of them still exist (the
// forms must outlive this call). Returns the program's exit code.
int RunProgramForms(QtApplicationRunner& runner, forms::TForm& first_form,
                    const std::string& program_name);

}  // namespace qtpeers
