#include "proxy_latencia.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <string>

namespace {

int Conecta(int puerto) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(puerto));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(s);
        return -1;
    }
    int uno = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &uno, sizeof uno);
    return s;
}

bool EscribeTodo(int s, const char* p, size_t n) {
    while (n > 0) {
        const ssize_t w = send(s, p, n, MSG_NOSIGNAL);
        if (w <= 0) return false;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

}  // namespace

ProxyLatencia::ProxyLatencia(int destino, std::chrono::milliseconds retraso)
    : destino_(destino), retrasoMs_(static_cast<int>(retraso.count())) {
    escucha_ = socket(AF_INET, SOCK_STREAM, 0);
    int uno = 1;
    setsockopt(escucha_, SOL_SOCKET, SO_REUSEADDR, &uno, sizeof uno);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(escucha_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t largo = sizeof a;
    getsockname(escucha_, reinterpret_cast<sockaddr*>(&a), &largo);
    puerto_ = ntohs(a.sin_port);
    listen(escucha_, 16);
    aceptador_ = std::thread([this] { Acepta(); });
}

ProxyLatencia::~ProxyLatencia() {
    fin_ = true;
    shutdown(escucha_, SHUT_RDWR);
    close(escucha_);
    aceptador_.join();
    std::lock_guard<std::mutex> l(hilosMutex_);
    for (auto& h : hilos_) h.detach();
}

void ProxyLatencia::Acepta() {
    while (!fin_) {
        pollfd p{escucha_, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        const int cliente = accept(escucha_, nullptr, nullptr);
        if (cliente < 0) continue;
        int uno = 1;
        setsockopt(cliente, IPPROTO_TCP, TCP_NODELAY, &uno, sizeof uno);
        std::lock_guard<std::mutex> l(hilosMutex_);
        hilos_.emplace_back([this, cliente] { Atiende(cliente); });
    }
}

void ProxyLatencia::Atiende(int cliente) {
    const int servidor = Conecta(destino_);
    if (servidor < 0) {
        close(cliente);
        return;
    }
    std::thread ida([&] { Copia(cliente, servidor, true); });
    Copia(servidor, cliente, false);
    ida.join();
    close(cliente);
    close(servidor);
}

void ProxyLatencia::Copia(int desde, int hacia, bool delCliente) {
    using Reloj = std::chrono::steady_clock;
    struct Trozo {
        Reloj::time_point entrega;
        std::string datos;
    };
    std::deque<Trozo> cola;
    std::mutex m;
    std::condition_variable cv;
    bool cerrado = false;
    // Delivery on its own thread: what arrives while a chunk waits keeps its own arrival time.
    std::thread entrega([&] {
        for (;;) {
            Trozo t;
            {
                std::unique_lock<std::mutex> l(m);
                cv.wait(l, [&] { return cerrado || !cola.empty(); });
                if (cola.empty()) break;
                t = std::move(cola.front());
                cola.pop_front();
            }
            std::this_thread::sleep_until(t.entrega);
            if (!EscribeTodo(hacia, t.datos.data(), t.datos.size())) break;
        }
        shutdown(hacia, SHUT_WR);
    });
    // Packet framing of the client's side: 3 bytes of length, 1 of sequence; sequence 0 begins a command.
    size_t restantes = 0;
    std::string cabecera;
    char buf[65536];
    for (;;) {
        const ssize_t n = recv(desde, buf, sizeof buf, 0);
        if (n <= 0) break;
        if (delCliente) {
            for (ssize_t i = 0; i < n;) {
                if (restantes > 0) {
                    const size_t toma = std::min(restantes, static_cast<size_t>(n - i));
                    restantes -= toma;
                    i += static_cast<ssize_t>(toma);
                    continue;
                }
                cabecera += buf[i++];
                if (cabecera.size() == 4) {
                    const auto* c = reinterpret_cast<const unsigned char*>(cabecera.data());
                    restantes = c[0] | (c[1] << 8) | (c[2] << 16);
                    if (c[3] == 0) ++peticiones_;
                    cabecera.clear();
                }
            }
        }
        std::lock_guard<std::mutex> l(m);
        cola.push_back({Reloj::now() + std::chrono::milliseconds(retrasoMs_.load()), std::string(buf, n)});
        cv.notify_one();
    }
    {
        std::lock_guard<std::mutex> l(m);
        cerrado = true;
        cv.notify_one();
    }
    entrega.join();
}
