// The readable description of MainWindow: its 44 units in list order, as the form stores them.
#pragma once

#include "formkit/form_writer.h"

namespace formkit {

Window main_window();
Form main_window_form();  // the whole form data: MainWindow alone

}  // namespace formkit
