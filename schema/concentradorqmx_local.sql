-- Schema `concentradorqmx` of the local server (beside the company):
-- this client's settings, its queues and its notices.
-- Load with: mariadb DBNAME < concentradorqmx_local.sql
-- (the program names it `concentradorqmx`; tests may use any name).

SET NAMES utf8mb4;

-- Settings of this client, key-value: Minutos, AvisosAmostrar,
-- ManejarAvisos, ActualizAutomatica, SoloRespaldar and the cut-off FDDUA.
-- Rows are created by the program with their type ('N'/'C') and text.
CREATE TABLE IF NOT EXISTS configuracion (
  Dato         VARCHAR(60)  NOT NULL,
  Contenido    VARCHAR(255) NOT NULL DEFAULT '',
  Tipo         CHAR(1)      NOT NULL DEFAULT 'C',
  Descripcion  VARCHAR(255) NOT NULL DEFAULT '',
  PRIMARY KEY (Dato)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Deletions and cancellations recorded by the local system, replayed on
-- the ESPEJO in Id order. Identificador is joined into SQL unquoted
-- (a document Id or expense Folio), except Accion 36: a product Clave.
CREATE TABLE IF NOT EXISTS borrarycancelar (
  Id             INT NOT NULL AUTO_INCREMENT,
  Accion         SMALLINT    NOT NULL DEFAULT 0,
  Identificador  VARCHAR(30) NOT NULL DEFAULT '',
  Fecha          DATETIME    NULL DEFAULT CURRENT_TIMESTAMP,
  PRIMARY KEY (Id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Products whose stock changed and must be refreshed in the ESPEJO.
-- The program also creates it (same definition) before every run.
CREATE TABLE IF NOT EXISTS productosenkardex (
  Clave VARCHAR(15) NOT NULL DEFAULT '',
  PRIMARY KEY (Clave)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- New rows of the exports whose per-table routine has not run yet: a crash
-- between a row's insert in the ESPEJO and its routine leaves the row here,
-- and the next export of the table runs the routine first.
-- The program also creates it (same definition) before every run.
CREATE TABLE IF NOT EXISTS rutinaspendientes (
  Tabla VARCHAR(64) NOT NULL DEFAULT '',
  Clave VARCHAR(64) NOT NULL DEFAULT '',
  PRIMARY KEY (Tabla, Clave)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Hub queue rows applied here whose removal at the hub has not gone through:
-- the next cycle removes them there without applying them again. Aviso is
-- the notice of the change while it is still to raise.
-- The program also creates it (same definition) before every run.
CREATE TABLE IF NOT EXISTS colasaplicadas (
  Cola  VARCHAR(32)  NOT NULL DEFAULT '',
  Llave VARCHAR(100) NOT NULL DEFAULT '',
  TipoAviso SMALLINT NOT NULL DEFAULT -1,
  Aviso TEXT NULL,
  PRIMARY KEY (Cola, Llave)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Notices. Aviso and Usuario hold ENCODE() output (binary) with the row's
-- pass string Metodo (3..180). A new row is shown unplaced (x = y = 0)
-- with a 300 x 240 px window (twips) in post-it yellow (&HC0FFFF).
-- TextoAviso/TextoUsuario hold plain text only while the report runs;
-- TextoUsuario is binary because LEFT(DECODE(...),10) may cut a UTF-8
-- character in two.
CREATE TABLE IF NOT EXISTS avisos (
  Id            INT NOT NULL AUTO_INCREMENT,
  Fecha         DATE        NULL DEFAULT NULL,
  Hora          TIME        NULL DEFAULT NULL,
  TipoAviso     TINYINT UNSIGNED NOT NULL DEFAULT 0,
  Leido         TINYINT     NOT NULL DEFAULT 0,
  FechaLeido    DATE        NULL DEFAULT NULL,
  HoraLeido     TIME        NULL DEFAULT NULL,
  Usuario       BLOB        NULL DEFAULT NULL,
  Aviso         MEDIUMBLOB  NULL DEFAULT NULL,
  Metodo        SMALLINT    NOT NULL DEFAULT 3,
  x             INT         NOT NULL DEFAULT 0,
  y             INT         NOT NULL DEFAULT 0,
  W             INT         NOT NULL DEFAULT 4500,
  H             INT         NOT NULL DEFAULT 3600,
  Color         INT         NOT NULL DEFAULT 12648447,
  TextoAviso    MEDIUMTEXT  NULL DEFAULT NULL,
  TextoUsuario  VARBINARY(10) NULL DEFAULT NULL,
  PRIMARY KEY (Id),
  KEY idx_avisos_leido (Leido, TipoAviso, Id),
  KEY idx_avisos_fecha (Fecha, Hora)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Requests left by the local company and other companies for this
-- client: 'OC' purchase order, 'PQ' bar order, 'A1' read pending, ...
-- Same layout as the hub's file queue.
CREATE TABLE IF NOT EXISTS archivosasubir (
  Id           INT NOT NULL AUTO_INCREMENT,
  Tipo         VARCHAR(5)  NOT NULL DEFAULT '',
  BaseDeDatos  VARCHAR(64) NOT NULL DEFAULT '',
  Cancelar     TINYINT     NOT NULL DEFAULT 0,
  clave        VARCHAR(30) NOT NULL DEFAULT '',
  Folio        INT         NOT NULL DEFAULT 0,
  Contenido    MEDIUMTEXT  NOT NULL DEFAULT '',
  PRIMARY KEY (Id),
  KEY idx_archivosasubir_base (BaseDeDatos, Cancelar, Id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Alerts: act now on the request IdArchivo of archivosasubir.
CREATE TABLE IF NOT EXISTS alertas (
  Id           INT NOT NULL AUTO_INCREMENT,
  IdArchivo    INT         NOT NULL DEFAULT 0,
  Fecha        DATE        NULL DEFAULT NULL,
  Hora         TIME        NULL DEFAULT NULL,
  BaseDeDatos  VARCHAR(64) NOT NULL DEFAULT '',
  PRIMARY KEY (Id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Alerts already dealt with (Fecha/Hora: when archived).
CREATE TABLE IF NOT EXISTS historicoalertas (
  Id           INT NOT NULL AUTO_INCREMENT,
  Fecha        DATE        NULL DEFAULT NULL,
  Hora         TIME        NULL DEFAULT NULL,
  IdAlerta     INT         NOT NULL DEFAULT 0,
  IdArchivo    INT         NOT NULL DEFAULT 0,
  FechaAlerta  DATE        NULL DEFAULT NULL,
  HoraAlerta   TIME        NULL DEFAULT NULL,
  BaseDeDatos  VARCHAR(64) NOT NULL DEFAULT '',
  PRIMARY KEY (Id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
