#include "app/bloqueo_de_carpeta.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace cnc {

BloqueoDeCarpeta::~BloqueoDeCarpeta() {
    Suelta();
}

bool BloqueoDeCarpeta::Toma(const std::string& carpeta) {
    Suelta();
    const std::string archivo = carpeta + kArchivo;
    fd_ = ::open(archivo.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        problema_ = "No se pudo crear el archivo de bloqueo " + archivo + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const bool ocupado = errno == EWOULDBLOCK;
        problema_ = ocupado ? "Ya se está ejecutando otro concentrador en la carpeta " + carpeta +
                                  "; solamente uno puede funcionar en cada carpeta."
                            : "No se pudo bloquear " + archivo + ": " + std::strerror(errno);
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    // The process id, for whoever looks at the folder.
    if (::ftruncate(fd_, 0) == 0) {
        const std::string pid = std::to_string(::getpid()) + "\n";
        [[maybe_unused]] ssize_t n = ::write(fd_, pid.data(), pid.size());
    }
    return true;
}

void BloqueoDeCarpeta::Suelta() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace cnc
