#pragma once
#include <new>

#include "image/image_error.h"

namespace tolvane {

template <class F>
bool Run_Command(Platform& p, F&& body) {
  try {
    body();
    return true;
  } catch (const Toolkit_Error& e) {
    p.Show_Error_Box(Error_Box_Text(e));
  } catch (const std::bad_alloc&) {
    p.Show_Error_Box(Error_Box_Text("Out of memory"));
  }
  return false;
}

}  // namespace tolvane
