// The program's icon, drawn so that no image file has to travel with it.
#pragma once

#include <QIcon>

namespace cncui {

QIcon IconoDelPrograma();

}  // namespace cncui
