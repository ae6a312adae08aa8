// An FTP site on 127.0.0.1 that answers its control channel at once but sends a file a few bytes at a time,
// as a stalled or throttled link does. One client at a time; it gives up on its own after a bounded time,
// and is gone with the object.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace prueba {

class SitioLento {
  public:
    // Every file it is asked for has `contenido`; `bytes` go out every `ms` milliseconds, for `segundos`
    // at most.
    SitioLento(std::string contenido, size_t bytes, int ms, int segundos = 20)
        : contenido_(std::move(contenido)),
          bytes_(bytes),
          ms_(ms),
          fin_(std::chrono::steady_clock::now() + std::chrono::seconds(segundos)) {
        escucha_ = Escucha(puerto_);
        if (escucha_ >= 0) hilo_ = std::thread([this] { Atiende(); });
    }
    ~SitioLento() {
        alto_ = true;
        if (hilo_.joinable()) hilo_.join();
        if (escucha_ >= 0) close(escucha_);
    }
    SitioLento(const SitioLento&) = delete;
    SitioLento& operator=(const SitioLento&) = delete;

    bool Listo() const { return escucha_ >= 0; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(puerto_); }

  private:
    static int Escucha(int& puerto) {
        int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t l = sizeof a;
        if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s, 4) != 0 ||
            getsockname(s, reinterpret_cast<sockaddr*>(&a), &l) != 0) {
            if (s >= 0) close(s);
            return -1;
        }
        puerto = ntohs(a.sin_port);
        return s;
    }

    bool Vigente() const { return !alto_ && std::chrono::steady_clock::now() < fin_; }

    // Waits for a connection on a listening socket while the site lasts; -1 when it ends first.
    int Acepta(int s) {
        while (Vigente()) {
            pollfd p{s, POLLIN, 0};
            if (poll(&p, 1, 50) == 1) return accept4(s, nullptr, nullptr, SOCK_CLOEXEC);
        }
        return -1;
    }

    // One line of the control channel; false when the client left or the site ended.
    bool Linea(int c, std::string& pendiente, std::string& linea) {
        while (Vigente()) {
            const size_t f = pendiente.find("\r\n");
            if (f != std::string::npos) {
                linea = pendiente.substr(0, f);
                pendiente.erase(0, f + 2);
                return true;
            }
            pollfd p{c, POLLIN, 0};
            if (poll(&p, 1, 50) != 1) continue;
            char b[512];
            const ssize_t n = recv(c, b, sizeof b, 0);
            if (n <= 0) return false;
            pendiente.append(b, static_cast<size_t>(n));
        }
        return false;
    }

    static void Di(int c, const std::string& texto) {
        const std::string t = texto + "\r\n";
        (void)!send(c, t.data(), t.size(), MSG_NOSIGNAL);
    }

    void Gotea(int datos) {
        size_t enviados = 0;
        while (enviados < contenido_.size() && Vigente()) {
            const size_t n = std::min(bytes_, contenido_.size() - enviados);
            if (send(datos, contenido_.data() + enviados, n, MSG_NOSIGNAL) <= 0) return;
            enviados += n;
            for (int t = 0; t < ms_ && Vigente(); t += 10)
                std::this_thread::sleep_for(std::chrono::milliseconds(std::min(10, ms_ - t)));
        }
    }

    void Sesion(int c) {
        Di(c, "220 sitio lento");
        std::string pendiente, linea;
        int pasivo = -1;
        while (Linea(c, pendiente, linea)) {
            const std::string orden = linea.substr(0, linea.find(' '));
            if (orden == "USER") {
                Di(c, "331 clave");
            } else if (orden == "PASS") {
                Di(c, "230 dentro");
            } else if (orden == "PWD") {
                Di(c, "257 \"/\"");
            } else if (orden == "CWD") {
                Di(c, "250 bien");
            } else if (orden == "TYPE" || orden == "NOOP") {
                Di(c, "200 bien");
            } else if (orden == "SIZE") {
                Di(c, "213 " + std::to_string(contenido_.size()));
            } else if (orden == "REST") {
                Di(c, "350 bien");
            } else if (orden == "PASV") {
                int p = 0;
                if (pasivo >= 0) close(pasivo);
                pasivo = Escucha(p);
                Di(c, "227 Entering Passive Mode (127,0,0,1," + std::to_string(p / 256) + "," +
                          std::to_string(p % 256) + ")");
            } else if (orden == "RETR" && pasivo >= 0) {
                const int datos = Acepta(pasivo);
                if (datos < 0) break;
                Di(c, "150 ahí va");
                Gotea(datos);
                close(datos);
                Di(c, "226 listo");
            } else if (orden == "QUIT") {
                Di(c, "221 adiós");
                break;
            } else {
                Di(c, "502 no");
            }
        }
        if (pasivo >= 0) close(pasivo);
    }

    void Atiende() {
        while (Vigente()) {
            const int c = Acepta(escucha_);
            if (c < 0) break;
            Sesion(c);
            close(c);
        }
    }

    std::string contenido_;
    size_t bytes_;
    int ms_;
    std::chrono::steady_clock::time_point fin_;
    int puerto_ = 0;
    int escucha_ = -1;
    std::atomic<bool> alto_{false};
    std::thread hilo_;
};

}  // namespace prueba
