// One running copy per program folder: a lock file in the folder, held while the process lives.
#pragma once

#include <string>

namespace cnc {

class BloqueoDeCarpeta {
  public:
    BloqueoDeCarpeta() = default;
    ~BloqueoDeCarpeta();
    BloqueoDeCarpeta(const BloqueoDeCarpeta&) = delete;
    BloqueoDeCarpeta& operator=(const BloqueoDeCarpeta&) = delete;

    // False when another copy holds the folder, or the lock file cannot be made; Problema() says which.
    bool Toma(const std::string& carpeta);
    void Suelta();
    const std::string& Problema() const { return problema_; }

    static constexpr const char* kArchivo = "/concentrador.lock";

  private:
    int fd_ = -1;
    std::string problema_;
};

}  // namespace cnc
