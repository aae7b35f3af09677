#include "platform/qt/program_run.h"

#include <exception>

#include "platform/forms/application.h"
#include "platform/forms/controls.h"
#include "platform/qt/qt_application.h"

namespace qtpeers {

int RunProgramForms(QtApplicationRunner& runner, forms::TForm& first_form,
                    const std::string& program_name) {
  runner.MapForms();
  first_form.Show();
  try {
    runner.Run();
  } catch (const std::exception& error) {
    forms::Application().MessageBox(error.what(), program_name, forms::MB_OK | forms::MB_ICONERROR);
  }
  forms::Application().DestroyForms();
  return 0;
}

}  // namespace qtpeers
