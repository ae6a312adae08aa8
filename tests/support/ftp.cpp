#include "support/ftp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace prueba {

namespace {

int PuertoLibre() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t l = sizeof a;
    int p = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &l) == 0)
        p = ntohs(a.sin_port);
    close(s);
    return p;
}

// Ready when it greets with "220".
bool Saluda(int puerto) {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(puerto));
    bool ok = false;
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        timeval t{2, 0};
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof t);
        char b[4] = {};
        ok = recv(s, b, 3, MSG_WAITALL) == 3 && std::string(b) == "220";
        (void)!write(s, "QUIT\r\n", 6);
    }
    close(s);
    return ok;
}

}  // namespace

std::string Contenido(size_t n) {
    std::string r(n, '\0');
    for (size_t i = 0; i < n; ++i) r[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return r;
}

ServidorFTP::ServidorFTP(std::string usuario, std::string password)
    : usuario_(std::move(usuario)), password_(std::move(password)) {
    puerto_ = PuertoLibre();
    // A passive range of its own, next to a port the system just had free.
    const int pasivo = PuertoLibre();
    const std::string rango = std::to_string(pasivo) + "-" + std::to_string(pasivo + 30);
    const std::string bitacora = trabajo_.Archivo("pyftpdlib.log");
    pid_ = fork();
    if (pid_ == 0) {
        FILE* f = std::fopen(bitacora.c_str(), "w");
        if (f) dup2(fileno(f), 1), dup2(fileno(f), 2);
        const std::string p = std::to_string(puerto_);
        execl("/usr/bin/python3", "python3", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p", p.c_str(), "-w",
              "-d", raiz_.Ruta().c_str(), "-u", usuario_.c_str(), "-P", password_.c_str(), "-r",
              rango.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 100 && pid_ > 0; ++i) {
        if (Saluda(puerto_)) return;
        int estado = 0;
        if (waitpid(pid_, &estado, WNOHANG) == pid_) pid_ = -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Mata();
}

ServidorFTP::~ServidorFTP() {
    Mata();
}

void ServidorFTP::Mata() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

void ServidorFTP::Escribe(const std::string& nombre, const std::string& contenido) const {
    const std::filesystem::path p = std::filesystem::path(Raiz()) / nombre;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary);
    f << contenido;
}

std::string ServidorFTP::Lee(const std::string& nombre) const {
    std::ifstream f(std::filesystem::path(Raiz()) / nombre, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool ServidorFTP::Existe(const std::string& nombre) const {
    return std::filesystem::exists(std::filesystem::path(Raiz()) / nombre);
}

}  // namespace prueba
