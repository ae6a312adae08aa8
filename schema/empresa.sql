-- Company database of a Tarvena installation: the local company, the
-- ESPEJO and MATRIZ companies on the hub all share this layout.
-- Load with: mariadb DBNAME < empresa.sql
--
-- FADUA is the row's last-update time, kept by the server; the sender
-- exports rows by it. Numbers and texts never hold NULL (defaults 0 and
-- ''); an unset date or time is NULL.

SET NAMES utf8mb4;

-- Product lines. Names are unique so that a line created by name on
-- one side meets the same line sent from the other (renumbered by key).
CREATE TABLE IF NOT EXISTS lineas (
  Id    INT NOT NULL AUTO_INCREMENT,
  Linea VARCHAR(60) NOT NULL DEFAULT '',
  FADUA DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_lineas_linea (Linea),
  KEY idx_lineas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Sub-lines, unique by name within their line.
CREATE TABLE IF NOT EXISTS sublineas (
  Id       INT NOT NULL AUTO_INCREMENT,
  IdLinea  INT NOT NULL DEFAULT 0,
  SubLinea VARCHAR(60) NOT NULL DEFAULT '',
  FADUA    DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_sublineas (IdLinea, SubLinea),
  KEY idx_sublineas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Brands.
CREATE TABLE IF NOT EXISTS marcas (
  Id    INT NOT NULL AUTO_INCREMENT,
  Marca VARCHAR(60) NOT NULL DEFAULT '',
  FADUA DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_marcas_marca (Marca),
  KEY idx_marcas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Units of measure.
CREATE TABLE IF NOT EXISTS medidas (
  Id     INT NOT NULL AUTO_INCREMENT,
  Medida VARCHAR(60) NOT NULL DEFAULT '',
  FADUA  DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_medidas_medida (Medida),
  KEY idx_medidas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Currencies; Id 1 is the national currency. Ids are copied from the
-- MATRIZ as they are.
CREATE TABLE IF NOT EXISTS monedas (
  Id          INT NOT NULL AUTO_INCREMENT,
  Nombre      VARCHAR(60) NOT NULL DEFAULT '',
  Abreviacion VARCHAR(10) NOT NULL DEFAULT '',
  Paridad     DECIMAL(18,6) NOT NULL DEFAULT 1,
  Simbolo     VARCHAR(5) NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_monedas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Products. Clave (15 characters, as the hub's key tables hold it) is the
-- key every company shares; Id is local. Prices 1..5 and their formulas live
-- here, prices 6..50 in productosmasprecios. BloqueadoVsCambioPrecios=1 keeps
-- hub price changes out.
CREATE TABLE IF NOT EXISTS productos (
  Id                       INT NOT NULL AUTO_INCREMENT,
  Clave                    VARCHAR(15) NOT NULL DEFAULT '',
  Descrip                  VARCHAR(255) NOT NULL DEFAULT '',
  DescripCorta             VARCHAR(100) NOT NULL DEFAULT '',
  FechaRegistro            DATE NULL DEFAULT NULL,
  FechaCambios             DATE NULL DEFAULT NULL,
  Linea                    INT NOT NULL DEFAULT 0,
  SubLinea                 INT NOT NULL DEFAULT 0,
  Marca                    INT NOT NULL DEFAULT 0,
  UnidadMedida             INT NOT NULL DEFAULT 0,
  Proveedor1               VARCHAR(15) NOT NULL DEFAULT '',
  IVA                      DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd               DECIMAL(18,4) NOT NULL DEFAULT 0,
  Costo                    DECIMAL(18,4) NOT NULL DEFAULT 0,
  CostoProm                DECIMAL(18,4) NOT NULL DEFAULT 0,
  Existencia               DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio1                  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio2                  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio3                  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio4                  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio5                  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Ganancia1                DECIMAL(18,4) NOT NULL DEFAULT 0,
  Rango1                   DECIMAL(18,4) NOT NULL DEFAULT 0,
  forCampo1                VARCHAR(30) NOT NULL DEFAULT '',
  forOperador1             VARCHAR(2) NOT NULL DEFAULT '',
  forFactor1               DECIMAL(18,4) NOT NULL DEFAULT 0,
  forRedondear1            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Ganancia2                DECIMAL(18,4) NOT NULL DEFAULT 0,
  Rango2                   DECIMAL(18,4) NOT NULL DEFAULT 0,
  forCampo2                VARCHAR(30) NOT NULL DEFAULT '',
  forOperador2             VARCHAR(2) NOT NULL DEFAULT '',
  forFactor2               DECIMAL(18,4) NOT NULL DEFAULT 0,
  forRedondear2            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Ganancia3                DECIMAL(18,4) NOT NULL DEFAULT 0,
  Rango3                   DECIMAL(18,4) NOT NULL DEFAULT 0,
  forCampo3                VARCHAR(30) NOT NULL DEFAULT '',
  forOperador3             VARCHAR(2) NOT NULL DEFAULT '',
  forFactor3               DECIMAL(18,4) NOT NULL DEFAULT 0,
  forRedondear3            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Ganancia4                DECIMAL(18,4) NOT NULL DEFAULT 0,
  Rango4                   DECIMAL(18,4) NOT NULL DEFAULT 0,
  forCampo4                VARCHAR(30) NOT NULL DEFAULT '',
  forOperador4             VARCHAR(2) NOT NULL DEFAULT '',
  forFactor4               DECIMAL(18,4) NOT NULL DEFAULT 0,
  forRedondear4            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Ganancia5                DECIMAL(18,4) NOT NULL DEFAULT 0,
  Rango5                   DECIMAL(18,4) NOT NULL DEFAULT 0,
  forCampo5                VARCHAR(30) NOT NULL DEFAULT '',
  forOperador5             VARCHAR(2) NOT NULL DEFAULT '',
  forFactor5               DECIMAL(18,4) NOT NULL DEFAULT 0,
  forRedondear5            DECIMAL(18,4) NOT NULL DEFAULT 0,
  ExistenciaExterna        TINYINT NOT NULL DEFAULT 0,
  MedicinaControlada       TINYINT NOT NULL DEFAULT 0,
  Descuento                DECIMAL(18,4) NOT NULL DEFAULT 0,
  EnLista                  TINYINT NOT NULL DEFAULT 0,
  Bloqueado                TINYINT NOT NULL DEFAULT 0,
  Comisionable             TINYINT NOT NULL DEFAULT 0,
  PedirFolio               TINYINT NOT NULL DEFAULT 0,
  Puntos                   DECIMAL(18,4) NOT NULL DEFAULT 0,
  BloqueadoVsCambioPrecios TINYINT NOT NULL DEFAULT 0,
  MonedaCompra             INT NOT NULL DEFAULT 1,
  MonedaVenta              INT NOT NULL DEFAULT 1,
  ClaveSAT                 VARCHAR(20) NOT NULL DEFAULT '',
  CategoriaIEPS            VARCHAR(20) NOT NULL DEFAULT '',
  VariantesMinimo          INT NOT NULL DEFAULT 0,
  VariantesMaximo          INT NOT NULL DEFAULT 0,
  VariantesSinCosto        TINYINT NOT NULL DEFAULT 0,
  AgregarVariantes         TINYINT NOT NULL DEFAULT 0,
  FADUA                    DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_productos_clave (Clave),
  KEY idx_productos_linea (Linea, SubLinea),
  KEY idx_productos_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Prices 6 and above of a product, with their formulas.
CREATE TABLE IF NOT EXISTS productosmasprecios (
  Id             INT NOT NULL AUTO_INCREMENT,
  Producto       VARCHAR(15) NOT NULL DEFAULT '',
  NumeroDePrecio INT NOT NULL DEFAULT 0,
  Precio         DECIMAL(18,4) NOT NULL DEFAULT 0,
  Rango          DECIMAL(18,4) NOT NULL DEFAULT 0,
  forCampo       VARCHAR(30) NOT NULL DEFAULT '',
  forOperador    VARCHAR(2) NOT NULL DEFAULT '',
  forFactor      DECIMAL(18,4) NOT NULL DEFAULT 0,
  forRedondear   DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA          DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_productosmasprecios (Producto, NumeroDePrecio),
  KEY idx_productosmasprecios_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Alternative keys (bar codes) of a product.
CREATE TABLE IF NOT EXISTS clavesalternas (
  Id            INT NOT NULL AUTO_INCREMENT,
  ClaveProducto VARCHAR(15) NOT NULL DEFAULT '',
  ClaveAlterna  VARCHAR(30) NOT NULL DEFAULT '',
  FADUA         DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_clavesalternas (ClaveProducto, ClaveAlterna),
  KEY idx_clavesalternas_alt (ClaveAlterna),
  KEY idx_clavesalternas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Stock by lot or external reference of a product.
CREATE TABLE IF NOT EXISTS existenciaexterna (
  Id                 INT NOT NULL AUTO_INCREMENT,
  Producto           VARCHAR(15) NOT NULL DEFAULT '',
  Referencia         VARCHAR(60) NOT NULL DEFAULT '',
  Caducidad          DATE NULL DEFAULT NULL,
  Existencia         DECIMAL(18,4) NOT NULL DEFAULT 0,
  ExistMin           DECIMAL(18,4) NOT NULL DEFAULT 0,
  ExistMax           DECIMAL(18,4) NOT NULL DEFAULT 0,
  ProductoReferencia VARCHAR(100) NOT NULL DEFAULT '',
  ClaveReferencia    VARCHAR(60) NOT NULL DEFAULT '',
  FADUA              DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_existenciaexterna (Producto, Referencia),
  KEY idx_existenciaexterna_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- References a product may be sold under.
CREATE TABLE IF NOT EXISTS clavereferencias (
  Id         INT NOT NULL AUTO_INCREMENT,
  Producto   VARCHAR(15) NOT NULL DEFAULT '',
  Referencia VARCHAR(60) NOT NULL DEFAULT '',
  FADUA      DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_clavereferencias (Producto, Referencia),
  KEY idx_clavereferencias_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lots and references, with their expiry.
CREATE TABLE IF NOT EXISTS referencias (
  Id         INT NOT NULL AUTO_INCREMENT,
  Referencia VARCHAR(60) NOT NULL DEFAULT '',
  Caducidad  DATE NULL DEFAULT NULL,
  FADUA      DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_referencias (Referencia),
  KEY idx_referencias_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lots carried by a movement. IdAuto is the row key; Id is the movement's
-- text key ('CO' + purchase folio + line, 15 characters).
CREATE TABLE IF NOT EXISTS referenciaexterna (
  IdAuto         INT NOT NULL AUTO_INCREMENT,
  Id             VARCHAR(20) NOT NULL DEFAULT '',
  TipoMovimiento VARCHAR(2) NOT NULL DEFAULT '',
  IdMovimiento   INT NOT NULL DEFAULT 0,
  Partida        INT NOT NULL DEFAULT 0,
  Producto       VARCHAR(15) NOT NULL DEFAULT '',
  Referencia     VARCHAR(60) NOT NULL DEFAULT '',
  Cantidad       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Caducidad      DATE NULL DEFAULT NULL,
  FADUA          DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (IdAuto),
  KEY idx_referenciaexterna_mov (TipoMovimiento, IdMovimiento),
  KEY idx_referenciaexterna_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Annex of a product: ten additional text/number slots, sale days and
-- hours. One row per product. Texto/Numerico without number are the older
-- single slot, kept for data that still uses it. Hours are never NULL so
-- that whole-row rewrites need no special case.
CREATE TABLE IF NOT EXISTS anexoproductos (
  Id                   INT NOT NULL AUTO_INCREMENT,
  Producto             VARCHAR(15) NOT NULL DEFAULT '',
  Texto                VARCHAR(255) NOT NULL DEFAULT '',
  Numerico             DECIMAL(18,4) NOT NULL DEFAULT 0,
  Texto1               VARCHAR(255) NOT NULL DEFAULT '',
  Texto2               VARCHAR(255) NOT NULL DEFAULT '',
  Texto3               VARCHAR(255) NOT NULL DEFAULT '',
  Texto4               VARCHAR(255) NOT NULL DEFAULT '',
  Texto5               VARCHAR(255) NOT NULL DEFAULT '',
  Texto6               VARCHAR(255) NOT NULL DEFAULT '',
  Texto7               VARCHAR(255) NOT NULL DEFAULT '',
  Texto8               VARCHAR(255) NOT NULL DEFAULT '',
  Texto9               VARCHAR(255) NOT NULL DEFAULT '',
  Texto10              VARCHAR(255) NOT NULL DEFAULT '',
  Numerico1            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Numerico2            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Numerico3            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Numerico4            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Numerico5            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Numerico6            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Numerico7            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Numerico8            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Numerico9            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Numerico10           DECIMAL(18,4) NOT NULL DEFAULT 0,
  Lun                  TINYINT NOT NULL DEFAULT 0,
  Mar                  TINYINT NOT NULL DEFAULT 0,
  Mie                  TINYINT NOT NULL DEFAULT 0,
  Jue                  TINYINT NOT NULL DEFAULT 0,
  Vie                  TINYINT NOT NULL DEFAULT 0,
  Sab                  TINYINT NOT NULL DEFAULT 0,
  Dom                  TINYINT NOT NULL DEFAULT 0,
  HoraIni              TIME NOT NULL DEFAULT '00:00:00',
  HoraFin              TIME NOT NULL DEFAULT '00:00:00',
  SaldableParaClientes TINYINT NOT NULL DEFAULT 0,
  RelacionadoCon       VARCHAR(30) NOT NULL DEFAULT '',
  FADUA                DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_anexoproductos (Producto),
  KEY idx_anexoproductos_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Packagings of a product: a unit, its quantity and its own bar code.
CREATE TABLE IF NOT EXISTS presentaciones (
  Id           INT NOT NULL AUTO_INCREMENT,
  Producto     VARCHAR(15) NOT NULL DEFAULT '',
  IdUnidad     INT NOT NULL DEFAULT 0,
  Cantidad     DECIMAL(18,4) NOT NULL DEFAULT 0,
  ClaveAlterna VARCHAR(30) NOT NULL DEFAULT '',
  FADUA        DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_presentaciones (Producto, IdUnidad),
  KEY idx_presentaciones_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Record of every price change (Usuario 'CONCENTRAD' for hub changes).
CREATE TABLE IF NOT EXISTS cambiosdeprecios (
  Id             INT NOT NULL AUTO_INCREMENT,
  Producto       VARCHAR(15) NOT NULL DEFAULT '',
  Fecha          DATE NULL DEFAULT NULL,
  Hora           TIME NULL DEFAULT NULL,
  Usuario        VARCHAR(30) NOT NULL DEFAULT '',
  PrecioAnterior DECIMAL(18,4) NOT NULL DEFAULT 0,
  PrecioNuevo    DECIMAL(18,4) NOT NULL DEFAULT 0,
  Numero         INT NOT NULL DEFAULT 0,
  Motivo         VARCHAR(100) NOT NULL DEFAULT '',
  FADUA          DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_cambiosdeprecios_prod (Producto),
  KEY idx_cambiosdeprecios_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Variants (extras, flavours) that can go with products.
CREATE TABLE IF NOT EXISTS variantes (
  Id       INT NOT NULL AUTO_INCREMENT,
  Variante VARCHAR(30) NOT NULL DEFAULT '',
  Precio   DECIMAL(18,4) NOT NULL DEFAULT 0,
  Producto VARCHAR(15) NOT NULL DEFAULT '',
  Cantidad DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA    DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_variantes (Variante),
  KEY idx_variantes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Which variants a product offers (IdVariante is the local variantes.Id).
CREATE TABLE IF NOT EXISTS productosyvariantes (
  Id         INT NOT NULL AUTO_INCREMENT,
  Producto   VARCHAR(15) NOT NULL DEFAULT '',
  IdVariante INT NOT NULL DEFAULT 0,
  FADUA      DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_productosyvariantes (Producto, IdVariante),
  KEY idx_productosyvariantes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Kits: a product sold as a set of components.
CREATE TABLE IF NOT EXISTS kits (
  Id    INT NOT NULL AUTO_INCREMENT,
  Clave VARCHAR(15) NOT NULL DEFAULT '',
  Costo DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_kits (Clave),
  KEY idx_kits_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Components of a kit.
CREATE TABLE IF NOT EXISTS kitskardex (
  Id       INT NOT NULL AUTO_INCREMENT,
  Kit      VARCHAR(15) NOT NULL DEFAULT '',
  Partida  INT NOT NULL DEFAULT 0,
  Clave    VARCHAR(15) NOT NULL DEFAULT '',
  Cantidad DECIMAL(18,4) NOT NULL DEFAULT 0,
  Costo    DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA    DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_kitskardex_kit (Kit, Partida),
  KEY idx_kitskardex_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Discounts, offers and promotions by line, sub-line and brand
-- (0 = any). Paga/Lleva: pay n, take m.
CREATE TABLE IF NOT EXISTS descuentoyoferta (
  Id              INT NOT NULL AUTO_INCREMENT,
  Tipo            VARCHAR(10) NOT NULL DEFAULT '',
  FechaInicio     DATE NULL DEFAULT NULL,
  FechaFinal      DATE NULL DEFAULT NULL,
  Linea           INT NOT NULL DEFAULT 0,
  SubLinea        INT NOT NULL DEFAULT 0,
  Marca           INT NOT NULL DEFAULT 0,
  Paga            DECIMAL(18,4) NOT NULL DEFAULT 0,
  Lleva           DECIMAL(18,4) NOT NULL DEFAULT 0,
  Descuento       DECIMAL(18,4) NOT NULL DEFAULT 0,
  ManeraDeAplicar INT NOT NULL DEFAULT 0,
  ProductoExacto  TINYINT NOT NULL DEFAULT 0,
  FADUA           DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_descuentoyoferta_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Promotions; their products are in productosenpromocion.
CREATE TABLE IF NOT EXISTS promociones (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(150) NOT NULL DEFAULT '',
  FechaInicio DATE NULL DEFAULT NULL,
  FechaFinal  DATE NULL DEFAULT NULL,
  Tipo        VARCHAR(10) NOT NULL DEFAULT '',
  Descuento   DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio      DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_promociones_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Products of a promotion or offer (IdPromocion = promociones.Id or descuentoyoferta.Id).
CREATE TABLE IF NOT EXISTS productosenpromocion (
  Id          INT NOT NULL AUTO_INCREMENT,
  IdPromocion INT NOT NULL DEFAULT 0,
  Producto    VARCHAR(15) NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_productosenpromocion (IdPromocion, Producto),
  KEY idx_productosenpromocion_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Long texts of a product, one row per product key.
CREATE TABLE IF NOT EXISTS textosproductos (
  Clave VARCHAR(15) NOT NULL DEFAULT '',
  Texto TEXT NOT NULL DEFAULT '',
  FADUA DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Clave),
  KEY idx_textosproductos_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Customers. A branch is a customer of its MATRIZ: ClienteSucursal holds the
-- branch's ESPEJO database name; Precio is the price list (1..50) it buys at;
-- SeriePedidos the series of its orders.
CREATE TABLE IF NOT EXISTS clientes (
  Id              INT NOT NULL AUTO_INCREMENT,
  Clave           VARCHAR(15) NOT NULL DEFAULT '',
  Nombre          VARCHAR(150) NOT NULL DEFAULT '',
  Domicilio       VARCHAR(150) NOT NULL DEFAULT '',
  Calle           VARCHAR(100) NOT NULL DEFAULT '',
  NumExterior     VARCHAR(20) NOT NULL DEFAULT '',
  NumInterior     VARCHAR(20) NOT NULL DEFAULT '',
  Colonia         VARCHAR(100) NOT NULL DEFAULT '',
  CP              VARCHAR(20) NOT NULL DEFAULT '',
  Localidad       VARCHAR(100) NOT NULL DEFAULT '',
  Ciudad          VARCHAR(100) NOT NULL DEFAULT '',
  Estado          VARCHAR(60) NOT NULL DEFAULT '',
  Pais            VARCHAR(60) NOT NULL DEFAULT '',
  ReferenciaDomic VARCHAR(150) NOT NULL DEFAULT '',
  Telefono1       VARCHAR(40) NOT NULL DEFAULT '',
  RFC             VARCHAR(20) NOT NULL DEFAULT '',
  CURP            VARCHAR(25) NOT NULL DEFAULT '',
  Clasificacion   VARCHAR(30) NOT NULL DEFAULT '',
  FechaRegistro   DATE NULL DEFAULT NULL,
  FechaCambios    DATE NULL DEFAULT NULL,
  Precio          INT NOT NULL DEFAULT 1,
  SeriePedidos    VARCHAR(10) NOT NULL DEFAULT '',
  ClienteSucursal VARCHAR(64) NOT NULL DEFAULT '',
  Saldo           DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA           DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_clientes_clave (Clave),
  KEY idx_clientes_sucursal (ClienteSucursal),
  KEY idx_clientes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Suppliers. CopiarAsucursales=1 in the MATRIZ copies the supplier to every branch.
CREATE TABLE IF NOT EXISTS proveedores (
  Id                INT NOT NULL AUTO_INCREMENT,
  Clave             VARCHAR(15) NOT NULL DEFAULT '',
  Nombre            VARCHAR(150) NOT NULL DEFAULT '',
  Domicilio         VARCHAR(150) NOT NULL DEFAULT '',
  Calle             VARCHAR(100) NOT NULL DEFAULT '',
  NumExterior       VARCHAR(20) NOT NULL DEFAULT '',
  NumInterior       VARCHAR(20) NOT NULL DEFAULT '',
  Colonia           VARCHAR(100) NOT NULL DEFAULT '',
  CP                VARCHAR(20) NOT NULL DEFAULT '',
  Localidad         VARCHAR(100) NOT NULL DEFAULT '',
  Ciudad            VARCHAR(100) NOT NULL DEFAULT '',
  Estado            VARCHAR(60) NOT NULL DEFAULT '',
  Pais              VARCHAR(60) NOT NULL DEFAULT '',
  ReferenciaDomic   VARCHAR(150) NOT NULL DEFAULT '',
  Telefono1         VARCHAR(40) NOT NULL DEFAULT '',
  RFC               VARCHAR(20) NOT NULL DEFAULT '',
  CURP              VARCHAR(25) NOT NULL DEFAULT '',
  Clasificacion     VARCHAR(30) NOT NULL DEFAULT '',
  FechaRegistro     DATE NULL DEFAULT NULL,
  FechaCambios      DATE NULL DEFAULT NULL,
  CopiarAsucursales TINYINT NOT NULL DEFAULT 0,
  Saldo             DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA             DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_proveedores_clave (Clave),
  KEY idx_proveedores_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Long texts of a customer.
CREATE TABLE IF NOT EXISTS textosclientes (
  Clave VARCHAR(15) NOT NULL DEFAULT '',
  Texto TEXT NOT NULL DEFAULT '',
  FADUA DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Clave),
  KEY idx_textosclientes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Long texts of a supplier.
CREATE TABLE IF NOT EXISTS textosproveedores (
  Clave VARCHAR(15) NOT NULL DEFAULT '',
  Texto TEXT NOT NULL DEFAULT '',
  FADUA DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Clave),
  KEY idx_textosproveedores_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Customer classifications (sent whole, by Clasificacion).
CREATE TABLE IF NOT EXISTS clasificactes (
  Clasificacion VARCHAR(30) NOT NULL DEFAULT '',
  Descripcion   VARCHAR(100) NOT NULL DEFAULT '',
  FADUA         DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Clasificacion),
  KEY idx_clasificactes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Supplier classifications (sent whole, by Clasificacion).
CREATE TABLE IF NOT EXISTS clasificaprov (
  Clasificacion VARCHAR(30) NOT NULL DEFAULT '',
  Descripcion   VARCHAR(100) NOT NULL DEFAULT '',
  FADUA         DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Clasificacion),
  KEY idx_clasificaprov_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Supplier balance by currency.
CREATE TABLE IF NOT EXISTS saldospro (
  Id       INT NOT NULL AUTO_INCREMENT,
  Clave    VARCHAR(15) NOT NULL DEFAULT '',
  IdMoneda INT NOT NULL DEFAULT 1,
  Saldo    DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA    DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_saldospro (Clave, IdMoneda),
  KEY idx_saldospro_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Customer account statement (charges and payments). Id may be given by the folio series.
CREATE TABLE IF NOT EXISTS edoctacli (
  Id            INT NOT NULL AUTO_INCREMENT,
  IdMoneda      INT NOT NULL DEFAULT 1,
  Folio         INT NOT NULL DEFAULT 0,
  Fecha         DATE NULL DEFAULT NULL,
  Hora          TIME NULL DEFAULT NULL,
  clave         VARCHAR(15) NOT NULL DEFAULT '',
  CantidadCargo DECIMAL(18,4) NOT NULL DEFAULT 0,
  CantidadPago  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Saldo         DECIMAL(18,4) NOT NULL DEFAULT 0,
  Concepto      VARCHAR(150) NOT NULL DEFAULT '',
  Usuario       VARCHAR(30) NOT NULL DEFAULT '',
  FADUA         DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_edoctacli_clave (clave),
  KEY idx_edoctacli_folio (Folio),
  KEY idx_edoctacli_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Supplier account statement. Id is taken from the 'Foliote' series.
CREATE TABLE IF NOT EXISTS edoctaprov (
  Id            INT NOT NULL AUTO_INCREMENT,
  IdMoneda      INT NOT NULL DEFAULT 1,
  Folio         INT NOT NULL DEFAULT 0,
  Fecha         DATE NULL DEFAULT NULL,
  Hora          TIME NULL DEFAULT NULL,
  clave         VARCHAR(15) NOT NULL DEFAULT '',
  CantidadCargo DECIMAL(18,4) NOT NULL DEFAULT 0,
  CantidadPago  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Saldo         DECIMAL(18,4) NOT NULL DEFAULT 0,
  Concepto      VARCHAR(150) NOT NULL DEFAULT '',
  Usuario       VARCHAR(30) NOT NULL DEFAULT '',
  FADUA         DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_edoctaprov_clave (clave),
  KEY idx_edoctaprov_folio (Folio),
  KEY idx_edoctaprov_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Receivables: Tipo C charge, F invoice, R remission, A lay-by; Numero the document.
CREATE TABLE IF NOT EXISTS cxc (
  Id          INT NOT NULL AUTO_INCREMENT,
  clave       VARCHAR(15) NOT NULL DEFAULT '',
  Vencimiento DATE NULL DEFAULT NULL,
  Tipo        VARCHAR(1) NOT NULL DEFAULT '',
  Numero      INT NOT NULL DEFAULT 0,
  NumPago     INT NOT NULL DEFAULT 0,
  Saldo       DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_cxc_doc (Tipo, Numero),
  KEY idx_cxc_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Payables: Tipo C charge, M purchase, N purchase without invoice.
CREATE TABLE IF NOT EXISTS cxp (
  Id          INT NOT NULL AUTO_INCREMENT,
  clave       VARCHAR(15) NOT NULL DEFAULT '',
  Vencimiento DATE NULL DEFAULT NULL,
  Tipo        VARCHAR(1) NOT NULL DEFAULT '',
  Numero      INT NOT NULL DEFAULT 0,
  NumPago     INT NOT NULL DEFAULT 0,
  Saldo       DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_cxp_doc (Tipo, Numero),
  KEY idx_cxp_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- What a customer payment paid: a charge (cxc.Id) or a document number.
CREATE TABLE IF NOT EXISTS anexopagosctes (
  Id           INT NOT NULL AUTO_INCREMENT,
  FolioDelPago INT NOT NULL DEFAULT 0,
  Cargo        INT NOT NULL DEFAULT 0,
  Factura      INT NOT NULL DEFAULT 0,
  Remision     INT NOT NULL DEFAULT 0,
  Apartado     INT NOT NULL DEFAULT 0,
  Cantidad     DECIMAL(18,4) NOT NULL DEFAULT 0,
  CantidadReal DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA        DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_anexopagosctes_pago (FolioDelPago),
  KEY idx_anexopagosctes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- What a supplier payment paid: a charge (cxp.Id), a purchase or a purchase without invoice.
CREATE TABLE IF NOT EXISTS anexopagosprov (
  Id           INT NOT NULL AUTO_INCREMENT,
  FolioDelPago INT NOT NULL DEFAULT 0,
  Cargo        INT NOT NULL DEFAULT 0,
  Compra       INT NOT NULL DEFAULT 0,
  CompraND     INT NOT NULL DEFAULT 0,
  Cantidad     DECIMAL(18,4) NOT NULL DEFAULT 0,
  CantidadReal DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA        DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_anexopagosprov_pago (FolioDelPago),
  KEY idx_anexopagosprov_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Customer receipts; IdPago is the edoctacli row of the payment.
CREATE TABLE IF NOT EXISTS recibos (
  Id        INT NOT NULL AUTO_INCREMENT,
  Recibo    INT NOT NULL DEFAULT 0,
  IdPago    INT NOT NULL DEFAULT 0,
  clave     VARCHAR(15) NOT NULL DEFAULT '',
  Fecha     DATE NULL DEFAULT NULL,
  Cantidad  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Cancelado TINYINT NOT NULL DEFAULT 0,
  FADUA     DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_recibos_pago (IdPago),
  KEY idx_recibos_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Sellers; their commissions are in comisiones and comisionesporlinea.
CREATE TABLE IF NOT EXISTS vendedores (
  Id       INT NOT NULL AUTO_INCREMENT,
  Clave    VARCHAR(15) NOT NULL DEFAULT '',
  Nombre   VARCHAR(150) NOT NULL DEFAULT '',
  Comision DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA    DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_vendedores_clave (Clave),
  KEY idx_vendedores_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Commission brackets of a seller, by Renglon.
CREATE TABLE IF NOT EXISTS comisiones (
  Id         INT NOT NULL AUTO_INCREMENT,
  Vendedor   VARCHAR(15) NOT NULL DEFAULT '',
  Renglon    INT NOT NULL DEFAULT 0,
  Desde      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Hasta      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Porcentaje DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA      DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_comisiones (Vendedor, Renglon),
  KEY idx_comisiones_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Commission of a seller per product line.
CREATE TABLE IF NOT EXISTS comisionesporlinea (
  Id         INT NOT NULL AUTO_INCREMENT,
  Vendedor   VARCHAR(15) NOT NULL DEFAULT '',
  Linea      INT NOT NULL DEFAULT 0,
  Porcentaje DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA      DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_comisionesporlinea (Vendedor, Linea),
  KEY idx_comisionesporlinea_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Branches of the group (Empresa = company number of the branch).
CREATE TABLE IF NOT EXISTS sucursales (
  Id      INT NOT NULL AUTO_INCREMENT,
  Clave   VARCHAR(15) NOT NULL DEFAULT '',
  Nombre  VARCHAR(150) NOT NULL DEFAULT '',
  Espejo  VARCHAR(64) NOT NULL DEFAULT '',
  Empresa INT NOT NULL DEFAULT 0,
  FADUA   DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  UNIQUE KEY uk_sucursales_clave (Clave),
  KEY idx_sucursales_empresa (Empresa),
  KEY idx_sucursales_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Quotations. Numero is the document folio (payments and balances refer to it).
CREATE TABLE IF NOT EXISTS cotizaciones (
  Id         INT NOT NULL AUTO_INCREMENT,
  Numero     INT NOT NULL DEFAULT 0,
  Serie      VARCHAR(10) NOT NULL DEFAULT '',
  Cliente    VARCHAR(15) NOT NULL DEFAULT '',
  Nombre     VARCHAR(150) NOT NULL DEFAULT '',
  Fecha      DATE NULL DEFAULT NULL,
  Hora       TIME NULL DEFAULT NULL,
  Vence      DATE NULL DEFAULT NULL,
  Descuento  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc1      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3      DECIMAL(18,4) NOT NULL DEFAULT 0,
  SubTotal   DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA        DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd DECIMAL(18,4) NOT NULL DEFAULT 0,
  Total      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Saldo      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Pago       VARCHAR(1) NOT NULL DEFAULT '',
  Usuario    VARCHAR(30) NOT NULL DEFAULT '',
  Cancelada  TINYINT NOT NULL DEFAULT 0,
  Nota       VARCHAR(255) NOT NULL DEFAULT '',
  NotaF1     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF2     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF3     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF4     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF5     VARCHAR(255) NOT NULL DEFAULT '',
  FADUA      DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_cotizaciones_numero (Numero, Serie),
  KEY idx_cotizaciones_cliente (Cliente),
  KEY idx_cotizaciones_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lines of cotizaciones; Id is the cotizaciones row, IdAuto the line's own key.
CREATE TABLE IF NOT EXISTS cotizacionesdetalle (
  IdAuto      INT NOT NULL AUTO_INCREMENT,
  Id          INT NOT NULL DEFAULT 0,
  Partida     INT NOT NULL DEFAULT 0,
  Producto    VARCHAR(15) NOT NULL DEFAULT '',
  Descrip     VARCHAR(255) NOT NULL DEFAULT '',
  Cantidad    DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio      DECIMAL(18,4) NOT NULL DEFAULT 0,
  PrecioBruto DECIMAL(18,4) NOT NULL DEFAULT 0,
  PrecioNeto  DECIMAL(18,4) NOT NULL DEFAULT 0,
  CostoProm   DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc1       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3       DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA         DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd  DECIMAL(18,4) NOT NULL DEFAULT 0,
  NotaRenglon VARCHAR(255) NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (IdAuto),
  KEY idx_cotizacionesdetalle_id (Id, Partida),
  KEY idx_cotizacionesdetalle_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Remissions (delivery notes). Numero is the document folio (payments and balances refer to it).
CREATE TABLE IF NOT EXISTS remisiones (
  Id         INT NOT NULL AUTO_INCREMENT,
  Numero     INT NOT NULL DEFAULT 0,
  Serie      VARCHAR(10) NOT NULL DEFAULT '',
  Cliente    VARCHAR(15) NOT NULL DEFAULT '',
  Nombre     VARCHAR(150) NOT NULL DEFAULT '',
  Fecha      DATE NULL DEFAULT NULL,
  Hora       TIME NULL DEFAULT NULL,
  Vence      DATE NULL DEFAULT NULL,
  Descuento  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc1      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3      DECIMAL(18,4) NOT NULL DEFAULT 0,
  SubTotal   DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA        DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd DECIMAL(18,4) NOT NULL DEFAULT 0,
  Total      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Saldo      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Pago       VARCHAR(1) NOT NULL DEFAULT '',
  Usuario    VARCHAR(30) NOT NULL DEFAULT '',
  Cancelada  TINYINT NOT NULL DEFAULT 0,
  Nota       VARCHAR(255) NOT NULL DEFAULT '',
  NotaF1     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF2     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF3     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF4     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF5     VARCHAR(255) NOT NULL DEFAULT '',
  FADUA      DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_remisiones_numero (Numero, Serie),
  KEY idx_remisiones_cliente (Cliente),
  KEY idx_remisiones_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lines of remisiones; Id is the remisiones row, IdAuto the line's own key.
CREATE TABLE IF NOT EXISTS remisionesdetalle (
  IdAuto      INT NOT NULL AUTO_INCREMENT,
  Id          INT NOT NULL DEFAULT 0,
  Partida     INT NOT NULL DEFAULT 0,
  Producto    VARCHAR(15) NOT NULL DEFAULT '',
  Descrip     VARCHAR(255) NOT NULL DEFAULT '',
  Cantidad    DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio      DECIMAL(18,4) NOT NULL DEFAULT 0,
  PrecioBruto DECIMAL(18,4) NOT NULL DEFAULT 0,
  PrecioNeto  DECIMAL(18,4) NOT NULL DEFAULT 0,
  CostoProm   DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc1       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3       DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA         DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd  DECIMAL(18,4) NOT NULL DEFAULT 0,
  NotaRenglon VARCHAR(255) NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (IdAuto),
  KEY idx_remisionesdetalle_id (Id, Partida),
  KEY idx_remisionesdetalle_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Invoices. Numero is the document folio (payments and balances refer to it).
CREATE TABLE IF NOT EXISTS facturas (
  Id         INT NOT NULL AUTO_INCREMENT,
  Numero     INT NOT NULL DEFAULT 0,
  Serie      VARCHAR(10) NOT NULL DEFAULT '',
  Cliente    VARCHAR(15) NOT NULL DEFAULT '',
  Nombre     VARCHAR(150) NOT NULL DEFAULT '',
  Fecha      DATE NULL DEFAULT NULL,
  Hora       TIME NULL DEFAULT NULL,
  Vence      DATE NULL DEFAULT NULL,
  Descuento  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc1      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3      DECIMAL(18,4) NOT NULL DEFAULT 0,
  SubTotal   DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA        DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd DECIMAL(18,4) NOT NULL DEFAULT 0,
  Total      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Saldo      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Pago       VARCHAR(1) NOT NULL DEFAULT '',
  Usuario    VARCHAR(30) NOT NULL DEFAULT '',
  Cancelada  TINYINT NOT NULL DEFAULT 0,
  Nota       VARCHAR(255) NOT NULL DEFAULT '',
  NotaF1     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF2     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF3     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF4     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF5     VARCHAR(255) NOT NULL DEFAULT '',
  FADUA      DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_facturas_numero (Numero, Serie),
  KEY idx_facturas_cliente (Cliente),
  KEY idx_facturas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lines of facturas; Id is the facturas row, IdAuto the line's own key.
CREATE TABLE IF NOT EXISTS facturasdetalle (
  IdAuto      INT NOT NULL AUTO_INCREMENT,
  Id          INT NOT NULL DEFAULT 0,
  Partida     INT NOT NULL DEFAULT 0,
  Producto    VARCHAR(15) NOT NULL DEFAULT '',
  Descrip     VARCHAR(255) NOT NULL DEFAULT '',
  Cantidad    DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio      DECIMAL(18,4) NOT NULL DEFAULT 0,
  PrecioBruto DECIMAL(18,4) NOT NULL DEFAULT 0,
  PrecioNeto  DECIMAL(18,4) NOT NULL DEFAULT 0,
  CostoProm   DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc1       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3       DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA         DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd  DECIMAL(18,4) NOT NULL DEFAULT 0,
  NotaRenglon VARCHAR(255) NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (IdAuto),
  KEY idx_facturasdetalle_id (Id, Partida),
  KEY idx_facturasdetalle_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lay-bys. Numero is the document folio (payments and balances refer to it).
CREATE TABLE IF NOT EXISTS apartados (
  Id         INT NOT NULL AUTO_INCREMENT,
  Numero     INT NOT NULL DEFAULT 0,
  Serie      VARCHAR(10) NOT NULL DEFAULT '',
  Cliente    VARCHAR(15) NOT NULL DEFAULT '',
  Nombre     VARCHAR(150) NOT NULL DEFAULT '',
  Fecha      DATE NULL DEFAULT NULL,
  Hora       TIME NULL DEFAULT NULL,
  Vence      DATE NULL DEFAULT NULL,
  Descuento  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc1      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3      DECIMAL(18,4) NOT NULL DEFAULT 0,
  SubTotal   DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA        DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd DECIMAL(18,4) NOT NULL DEFAULT 0,
  Total      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Saldo      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Pago       VARCHAR(1) NOT NULL DEFAULT '',
  Usuario    VARCHAR(30) NOT NULL DEFAULT '',
  Cancelada  TINYINT NOT NULL DEFAULT 0,
  Nota       VARCHAR(255) NOT NULL DEFAULT '',
  NotaF1     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF2     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF3     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF4     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF5     VARCHAR(255) NOT NULL DEFAULT '',
  FADUA      DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_apartados_numero (Numero, Serie),
  KEY idx_apartados_cliente (Cliente),
  KEY idx_apartados_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lines of apartados; Id is the apartados row, IdAuto the line's own key.
CREATE TABLE IF NOT EXISTS apartadosdetalle (
  IdAuto      INT NOT NULL AUTO_INCREMENT,
  Id          INT NOT NULL DEFAULT 0,
  Partida     INT NOT NULL DEFAULT 0,
  Producto    VARCHAR(15) NOT NULL DEFAULT '',
  Descrip     VARCHAR(255) NOT NULL DEFAULT '',
  Cantidad    DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio      DECIMAL(18,4) NOT NULL DEFAULT 0,
  PrecioBruto DECIMAL(18,4) NOT NULL DEFAULT 0,
  PrecioNeto  DECIMAL(18,4) NOT NULL DEFAULT 0,
  CostoProm   DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc1       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3       DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA         DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd  DECIMAL(18,4) NOT NULL DEFAULT 0,
  NotaRenglon VARCHAR(255) NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (IdAuto),
  KEY idx_apartadosdetalle_id (Id, Partida),
  KEY idx_apartadosdetalle_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Customer orders. Orden is the branch's purchase-order number when the
-- order came from a branch; Factura/Serie the order number in its series;
-- Origen 'RECOMPRA' marks those orders; Traspaso the transfer made from it.
CREATE TABLE IF NOT EXISTS pedidos (
  Id              INT NOT NULL AUTO_INCREMENT,
  Orden           INT NOT NULL DEFAULT 0,
  Factura         INT NOT NULL DEFAULT 0,
  Serie           VARCHAR(10) NOT NULL DEFAULT '',
  Cliente         VARCHAR(15) NOT NULL DEFAULT '',
  Fecha           DATE NULL DEFAULT NULL,
  Hora            TIME NULL DEFAULT NULL,
  Vence           DATE NULL DEFAULT NULL,
  Nombre          VARCHAR(150) NOT NULL DEFAULT '',
  Telefono        VARCHAR(40) NOT NULL DEFAULT '',
  Domicilio       VARCHAR(150) NOT NULL DEFAULT '',
  Calle           VARCHAR(100) NOT NULL DEFAULT '',
  NumExterior     VARCHAR(20) NOT NULL DEFAULT '',
  NumInterior     VARCHAR(20) NOT NULL DEFAULT '',
  Colonia         VARCHAR(100) NOT NULL DEFAULT '',
  CP              VARCHAR(20) NOT NULL DEFAULT '',
  Localidad       VARCHAR(100) NOT NULL DEFAULT '',
  Ciudad          VARCHAR(100) NOT NULL DEFAULT '',
  Estado          VARCHAR(60) NOT NULL DEFAULT '',
  Pais            VARCHAR(60) NOT NULL DEFAULT '',
  ReferenciaDomic VARCHAR(150) NOT NULL DEFAULT '',
  RFC             VARCHAR(20) NOT NULL DEFAULT '',
  Descuento       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc1           DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2           DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3           DECIMAL(18,4) NOT NULL DEFAULT 0,
  SubTotal        DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA             DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Usuario         VARCHAR(30) NOT NULL DEFAULT '',
  Afectada        TINYINT NOT NULL DEFAULT 0,
  Cancelada       TINYINT NOT NULL DEFAULT 0,
  Traspaso        INT NOT NULL DEFAULT 0,
  Origen          VARCHAR(20) NOT NULL DEFAULT '',
  Nota            VARCHAR(255) NOT NULL DEFAULT '',
  NotaF1          VARCHAR(255) NOT NULL DEFAULT '',
  NotaF2          VARCHAR(255) NOT NULL DEFAULT '',
  NotaF3          VARCHAR(255) NOT NULL DEFAULT '',
  NotaF4          VARCHAR(255) NOT NULL DEFAULT '',
  NotaF5          VARCHAR(255) NOT NULL DEFAULT '',
  FADUA           DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_pedidos_cliente (Cliente, Orden),
  KEY idx_pedidos_factura (Factura, Serie),
  KEY idx_pedidos_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lines of pedidos; Id is the pedidos row, IdAuto the line's own key.
CREATE TABLE IF NOT EXISTS pedidosdetalle (
  IdAuto      INT NOT NULL AUTO_INCREMENT,
  Id          INT NOT NULL DEFAULT 0,
  Partida     INT NOT NULL DEFAULT 0,
  Producto    VARCHAR(15) NOT NULL DEFAULT '',
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Cantidad    DECIMAL(18,4) NOT NULL DEFAULT 0,
  Pedido      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Surtido     DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc1       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3       DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA         DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd  DECIMAL(18,4) NOT NULL DEFAULT 0,
  PrecioBruto DECIMAL(18,4) NOT NULL DEFAULT 0,
  PrecioNeto  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Nota        VARCHAR(255) NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (IdAuto),
  KEY idx_pedidosdetalle_id (Id, Partida),
  KEY idx_pedidosdetalle_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Purchase orders of the company. Pedido is the MATRIZ order it became.
CREATE TABLE IF NOT EXISTS ordenes (
  Id         INT NOT NULL AUTO_INCREMENT,
  Orden      INT NOT NULL DEFAULT 0,
  Proveedor  VARCHAR(15) NOT NULL DEFAULT '',
  Fecha      DATE NULL DEFAULT NULL,
  Hora       TIME NULL DEFAULT NULL,
  Descuento  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc1      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3      DECIMAL(18,4) NOT NULL DEFAULT 0,
  SubTotal   DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA        DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd DECIMAL(18,4) NOT NULL DEFAULT 0,
  Usuario    VARCHAR(30) NOT NULL DEFAULT '',
  Pedido     INT NOT NULL DEFAULT 0,
  Cancelada  TINYINT NOT NULL DEFAULT 0,
  Nota       VARCHAR(255) NOT NULL DEFAULT '',
  NotaF1     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF2     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF3     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF4     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF5     VARCHAR(255) NOT NULL DEFAULT '',
  FADUA      DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_ordenes_orden (Orden),
  KEY idx_ordenes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lines of a purchase order (by its folio Orden).
CREATE TABLE IF NOT EXISTS ordenesdetalle (
  Id          INT NOT NULL AUTO_INCREMENT,
  Orden       INT NOT NULL DEFAULT 0,
  Partida     INT NOT NULL DEFAULT 0,
  Producto    VARCHAR(15) NOT NULL DEFAULT '',
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Cantidad    DECIMAL(18,4) NOT NULL DEFAULT 0,
  Costo       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc1       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Nota        VARCHAR(255) NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_ordenesdetalle (Orden, Partida),
  KEY idx_ordenesdetalle_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Purchases. Compra is the folio; Factura the supplier's document number
-- (an 'R' in front for remissions); Pago E cash, C credit.
CREATE TABLE IF NOT EXISTS compras (
  Id         INT NOT NULL AUTO_INCREMENT,
  Compra     INT NOT NULL DEFAULT 0,
  Numero     INT NOT NULL DEFAULT 0,
  Proveedor  VARCHAR(15) NOT NULL DEFAULT '',
  Factura    VARCHAR(40) NOT NULL DEFAULT '',
  Fecha      DATE NULL DEFAULT NULL,
  Vence      DATE NULL DEFAULT NULL,
  Descuento  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc1      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Nota       VARCHAR(255) NOT NULL DEFAULT '',
  NotaF1     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF2     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF3     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF4     VARCHAR(255) NOT NULL DEFAULT '',
  NotaF5     VARCHAR(255) NOT NULL DEFAULT '',
  SubTotal   DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA        DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd DECIMAL(18,4) NOT NULL DEFAULT 0,
  Saldo      DECIMAL(18,4) NOT NULL DEFAULT 0,
  NumPagos   INT NOT NULL DEFAULT 0,
  Pago       VARCHAR(1) NOT NULL DEFAULT '',
  Usuario    VARCHAR(30) NOT NULL DEFAULT '',
  Cancelada  TINYINT NOT NULL DEFAULT 0,
  FADUA      DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_compras_compra (Compra),
  KEY idx_compras_prov (Proveedor, Factura),
  KEY idx_compras_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lines of a purchase (by its folio Compra).
CREATE TABLE IF NOT EXISTS comprasdetalle (
  Id          INT NOT NULL AUTO_INCREMENT,
  Compra      INT NOT NULL DEFAULT 0,
  Partida     INT NOT NULL DEFAULT 0,
  Producto    VARCHAR(15) NOT NULL DEFAULT '',
  Descrip     VARCHAR(255) NOT NULL DEFAULT '',
  Cantidad    DECIMAL(18,4) NOT NULL DEFAULT 0,
  CostoNeto   DECIMAL(18,4) NOT NULL DEFAULT 0,
  CostoBruto  DECIMAL(18,4) NOT NULL DEFAULT 0,
  NotaRenglon VARCHAR(255) NOT NULL DEFAULT '',
  Desc1       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc2       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Desc3       DECIMAL(18,4) NOT NULL DEFAULT 0,
  CostoProm   DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio1     DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA         DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd  DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_comprasdetalle (Compra, Partida),
  KEY idx_comprasdetalle_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Purchases without invoice.
CREATE TABLE IF NOT EXISTS comprasnd (
  Id         INT NOT NULL AUTO_INCREMENT,
  Compra     INT NOT NULL DEFAULT 0,
  Numero     INT NOT NULL DEFAULT 0,
  Proveedor  VARCHAR(15) NOT NULL DEFAULT '',
  Fecha      DATE NULL DEFAULT NULL,
  Vence      DATE NULL DEFAULT NULL,
  SubTotal   DECIMAL(18,4) NOT NULL DEFAULT 0,
  IVA        DECIMAL(18,4) NOT NULL DEFAULT 0,
  ImpuestoAd DECIMAL(18,4) NOT NULL DEFAULT 0,
  Saldo      DECIMAL(18,4) NOT NULL DEFAULT 0,
  Pago       VARCHAR(1) NOT NULL DEFAULT '',
  Usuario    VARCHAR(30) NOT NULL DEFAULT '',
  Cancelada  TINYINT NOT NULL DEFAULT 0,
  Nota       VARCHAR(255) NOT NULL DEFAULT '',
  FADUA      DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_comprasnd_compra (Compra),
  KEY idx_comprasnd_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lines of a purchase without invoice.
CREATE TABLE IF NOT EXISTS comprasnddetalle (
  Id       INT NOT NULL AUTO_INCREMENT,
  Compra   INT NOT NULL DEFAULT 0,
  Partida  INT NOT NULL DEFAULT 0,
  Producto VARCHAR(15) NOT NULL DEFAULT '',
  Descrip  VARCHAR(255) NOT NULL DEFAULT '',
  Cantidad DECIMAL(18,4) NOT NULL DEFAULT 0,
  Costo    DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA    DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_comprasnddetalle (Compra, Partida),
  KEY idx_comprasnddetalle_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Goods receptions.
CREATE TABLE IF NOT EXISTS recepciones (
  Id        INT NOT NULL AUTO_INCREMENT,
  Recepcion INT NOT NULL DEFAULT 0,
  Proveedor VARCHAR(15) NOT NULL DEFAULT '',
  Fecha     DATE NULL DEFAULT NULL,
  Hora      TIME NULL DEFAULT NULL,
  Usuario   VARCHAR(30) NOT NULL DEFAULT '',
  Cancelada TINYINT NOT NULL DEFAULT 0,
  Nota      VARCHAR(255) NOT NULL DEFAULT '',
  FADUA     DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_recepciones_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lines of a reception.
CREATE TABLE IF NOT EXISTS recepcionesdetalle (
  Id          INT NOT NULL AUTO_INCREMENT,
  IdRecepcion INT NOT NULL DEFAULT 0,
  Partida     INT NOT NULL DEFAULT 0,
  Producto    VARCHAR(15) NOT NULL DEFAULT '',
  Cantidad    DECIMAL(18,4) NOT NULL DEFAULT 0,
  Costo       DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_recepcionesdetalle (IdRecepcion),
  KEY idx_recepcionesdetalle_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Additional data of a reception.
CREATE TABLE IF NOT EXISTS recepcionesanexo (
  Id          INT NOT NULL AUTO_INCREMENT,
  IdRecepcion INT NOT NULL DEFAULT 0,
  Dato        VARCHAR(60) NOT NULL DEFAULT '',
  Contenido   VARCHAR(255) NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_recepcionesanexo (IdRecepcion),
  KEY idx_recepcionesanexo_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Customer returns (folio DevolucionCtes).
CREATE TABLE IF NOT EXISTS devolucionctes (
  Id             INT NOT NULL AUTO_INCREMENT,
  DevolucionCtes INT NOT NULL DEFAULT 0,
  Cliente        VARCHAR(15) NOT NULL DEFAULT '',
  Fecha          DATE NULL DEFAULT NULL,
  Hora           TIME NULL DEFAULT NULL,
  Total          DECIMAL(18,4) NOT NULL DEFAULT 0,
  Usuario        VARCHAR(30) NOT NULL DEFAULT '',
  Cancelada      TINYINT NOT NULL DEFAULT 0,
  FADUA          DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_devolucionctes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lines of a customer return.
CREATE TABLE IF NOT EXISTS devolucionctesdet (
  Id             INT NOT NULL AUTO_INCREMENT,
  DevolucionCtes INT NOT NULL DEFAULT 0,
  Partida        INT NOT NULL DEFAULT 0,
  Producto       VARCHAR(15) NOT NULL DEFAULT '',
  Cantidad       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio         DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA          DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_devolucionctesdet (DevolucionCtes),
  KEY idx_devolucionctesdet_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Returns to suppliers (folio DevolucionProv).
CREATE TABLE IF NOT EXISTS devolucionprov (
  Id             INT NOT NULL AUTO_INCREMENT,
  DevolucionProv INT NOT NULL DEFAULT 0,
  Proveedor      VARCHAR(15) NOT NULL DEFAULT '',
  Fecha          DATE NULL DEFAULT NULL,
  Hora           TIME NULL DEFAULT NULL,
  Total          DECIMAL(18,4) NOT NULL DEFAULT 0,
  Usuario        VARCHAR(30) NOT NULL DEFAULT '',
  Cancelada      TINYINT NOT NULL DEFAULT 0,
  FADUA          DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_devolucionprov_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lines of a return to a supplier.
CREATE TABLE IF NOT EXISTS devolucionprovdet (
  Id             INT NOT NULL AUTO_INCREMENT,
  DevolucionProv INT NOT NULL DEFAULT 0,
  Partida        INT NOT NULL DEFAULT 0,
  Producto       VARCHAR(15) NOT NULL DEFAULT '',
  Cantidad       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Costo          DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA          DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_devolucionprovdet (DevolucionProv),
  KEY idx_devolucionprovdet_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Stock transfers to a branch (Destino = sucursales.Clave). IdPedido is the
-- order it was made from; NumTraspaso the number within Serie.
CREATE TABLE IF NOT EXISTS traspasos (
  Id          INT NOT NULL AUTO_INCREMENT,
  Traspaso    INT NOT NULL DEFAULT 0,
  Oferta      INT NOT NULL DEFAULT 0,
  Fecha       DATE NULL DEFAULT NULL,
  Hora        TIME NULL DEFAULT NULL,
  Usuario     VARCHAR(30) NOT NULL DEFAULT '',
  Destino     VARCHAR(15) NOT NULL DEFAULT '',
  Entrada     INT NOT NULL DEFAULT 0,
  Cancelado   TINYINT NOT NULL DEFAULT 0,
  Concepto    VARCHAR(50) NOT NULL DEFAULT '',
  Pendiente   TINYINT NOT NULL DEFAULT 0,
  IdPedido    INT NOT NULL DEFAULT 0,
  Serie       VARCHAR(10) NOT NULL DEFAULT '',
  NumTraspaso INT NOT NULL DEFAULT 0,
  VersionQM   VARCHAR(30) NOT NULL DEFAULT '',
  EquipoQM    VARCHAR(60) NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_traspasos_traspaso (Traspaso),
  KEY idx_traspasos_pedido (Destino, IdPedido),
  KEY idx_traspasos_num (Serie, NumTraspaso),
  KEY idx_traspasos_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lines of a transfer (by its folio Traspaso).
CREATE TABLE IF NOT EXISTS traspasosdetalle (
  Id            INT NOT NULL AUTO_INCREMENT,
  Traspaso      INT NOT NULL DEFAULT 0,
  Oferta        INT NOT NULL DEFAULT 0,
  Partida       INT NOT NULL DEFAULT 0,
  Producto      VARCHAR(15) NOT NULL DEFAULT '',
  Descrip       VARCHAR(255) NOT NULL DEFAULT '',
  Cantidad      DECIMAL(18,4) NOT NULL DEFAULT 0,
  CostoProm     DECIMAL(18,4) NOT NULL DEFAULT 0,
  Costo         DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio1       DECIMAL(18,4) NOT NULL DEFAULT 0,
  Precio        DECIMAL(18,4) NOT NULL DEFAULT 0,
  Costales      DECIMAL(18,4) NOT NULL DEFAULT 0,
  IdExterna     VARCHAR(30) NOT NULL DEFAULT '',
  NotaRenglon   VARCHAR(255) NOT NULL DEFAULT '',
  PartidaPedido INT NOT NULL DEFAULT 0,
  FADUA         DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_traspasosdetalle (Traspaso, Partida),
  KEY idx_traspasosdetalle_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Stock entries (a received transfer becomes entries).
CREATE TABLE IF NOT EXISTS entradas (
  Id        INT NOT NULL AUTO_INCREMENT,
  Entrada   INT NOT NULL DEFAULT 0,
  Fecha     DATE NULL DEFAULT NULL,
  Hora      TIME NULL DEFAULT NULL,
  Usuario   VARCHAR(30) NOT NULL DEFAULT '',
  Traspaso  INT NOT NULL DEFAULT 0,
  Concepto  VARCHAR(150) NOT NULL DEFAULT '',
  Cancelado TINYINT NOT NULL DEFAULT 0,
  FADUA     DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_entradas_entrada (Entrada),
  KEY idx_entradas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Lines of a stock entry.
CREATE TABLE IF NOT EXISTS entradasdetalle (
  Id       INT NOT NULL AUTO_INCREMENT,
  Entrada  INT NOT NULL DEFAULT 0,
  Partida  INT NOT NULL DEFAULT 0,
  Producto VARCHAR(15) NOT NULL DEFAULT '',
  Descrip  VARCHAR(255) NOT NULL DEFAULT '',
  Cantidad DECIMAL(18,4) NOT NULL DEFAULT 0,
  Costo    DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA    DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_entradasdetalle (Entrada, Partida),
  KEY idx_entradasdetalle_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Stock losses.
CREATE TABLE IF NOT EXISTS perdidas (
  Id        INT NOT NULL AUTO_INCREMENT,
  Perdida   INT NOT NULL DEFAULT 0,
  Fecha     DATE NULL DEFAULT NULL,
  Hora      TIME NULL DEFAULT NULL,
  Usuario   VARCHAR(30) NOT NULL DEFAULT '',
  Producto  VARCHAR(15) NOT NULL DEFAULT '',
  Cantidad  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Costo     DECIMAL(18,4) NOT NULL DEFAULT 0,
  Concepto  VARCHAR(150) NOT NULL DEFAULT '',
  Cancelado TINYINT NOT NULL DEFAULT 0,
  FADUA     DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_perdidas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Stock adjustments; IdKardex links the historicoalmacen row.
CREATE TABLE IF NOT EXISTS ajustes (
  Id        INT NOT NULL AUTO_INCREMENT,
  Ajuste    INT NOT NULL DEFAULT 0,
  clave     VARCHAR(15) NOT NULL DEFAULT '',
  Tipo      VARCHAR(1) NOT NULL DEFAULT '',
  Cantidad  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Fecha     DATE NULL DEFAULT NULL,
  Hora      TIME NULL DEFAULT NULL,
  Usuario   VARCHAR(30) NOT NULL DEFAULT '',
  Concepto  VARCHAR(150) NOT NULL DEFAULT '',
  Costo     DECIMAL(18,4) NOT NULL DEFAULT 0,
  CostoProm DECIMAL(18,4) NOT NULL DEFAULT 0,
  IdKardex  INT NOT NULL DEFAULT 0,
  FADUA     DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_ajustes_ajuste (Ajuste),
  KEY idx_ajustes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Stock movements (kardex). TablaMovimiento/IdMovimiento point to the
-- document row that caused the movement.
CREATE TABLE IF NOT EXISTS historicoalmacen (
  Id                 INT NOT NULL AUTO_INCREMENT,
  Producto           VARCHAR(15) NOT NULL DEFAULT '',
  Fecha              DATE NULL DEFAULT NULL,
  Hora               TIME NULL DEFAULT NULL,
  Usuario            VARCHAR(30) NOT NULL DEFAULT '',
  Tipo               VARCHAR(1) NOT NULL DEFAULT '',
  Cantidad           DECIMAL(18,4) NOT NULL DEFAULT 0,
  ExistenciaAnterior DECIMAL(18,4) NOT NULL DEFAULT 0,
  Existencia         DECIMAL(18,4) NOT NULL DEFAULT 0,
  Costo              DECIMAL(18,4) NOT NULL DEFAULT 0,
  CostoProm          DECIMAL(18,4) NOT NULL DEFAULT 0,
  Concepto           VARCHAR(150) NOT NULL DEFAULT '',
  TablaMovimiento    VARCHAR(30) NOT NULL DEFAULT '',
  IdMovimiento       INT NOT NULL DEFAULT 0,
  FADUA              DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_historicoalmacen_prod (Producto),
  KEY idx_historicoalmacen_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Expenses (by Folio).
CREATE TABLE IF NOT EXISTS gastos (
  Id       INT NOT NULL AUTO_INCREMENT,
  Folio    INT NOT NULL DEFAULT 0,
  Fecha    DATE NULL DEFAULT NULL,
  Concepto VARCHAR(150) NOT NULL DEFAULT '',
  Importe  DECIMAL(18,4) NOT NULL DEFAULT 0,
  Usuario  VARCHAR(30) NOT NULL DEFAULT '',
  FADUA    DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_gastos_folio (Folio),
  KEY idx_gastos_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Sale tickets; Facturada is the invoice that took the ticket (0 = none).
CREATE TABLE IF NOT EXISTS tickets (
  Id        INT NOT NULL AUTO_INCREMENT,
  Ticket    INT NOT NULL DEFAULT 0,
  Fecha     DATE NULL DEFAULT NULL,
  Hora      TIME NULL DEFAULT NULL,
  Cliente   VARCHAR(15) NOT NULL DEFAULT '',
  Total     DECIMAL(18,4) NOT NULL DEFAULT 0,
  Usuario   VARCHAR(30) NOT NULL DEFAULT '',
  Facturada INT NOT NULL DEFAULT 0,
  FADUA     DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_tickets_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Bar and restaurant orders.
CREATE TABLE IF NOT EXISTS barcomandas (
  Id      INT NOT NULL AUTO_INCREMENT,
  Mesa    VARCHAR(20) NOT NULL DEFAULT '',
  Fecha   DATE NULL DEFAULT NULL,
  Hora    TIME NULL DEFAULT NULL,
  Usuario VARCHAR(30) NOT NULL DEFAULT '',
  Total   DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA   DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_barcomandas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Variants ordered with a bar order (IdComanda = barcomandas.Id).
CREATE TABLE IF NOT EXISTS barcomandasvar (
  Id         INT NOT NULL AUTO_INCREMENT,
  IdComanda  INT NOT NULL DEFAULT 0,
  Producto   VARCHAR(15) NOT NULL DEFAULT '',
  IdVariante INT NOT NULL DEFAULT 0,
  Cantidad   DECIMAL(18,4) NOT NULL DEFAULT 0,
  FADUA      DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_barcomandasvar (IdComanda),
  KEY idx_barcomandasvar_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- General data of the company (sent whole, by Id).
CREATE TABLE IF NOT EXISTS generales (
  Id          INT NOT NULL AUTO_INCREMENT,
  Nombre      VARCHAR(150) NOT NULL DEFAULT '',
  RazonSocial VARCHAR(150) NOT NULL DEFAULT '',
  RFC         VARCHAR(20) NOT NULL DEFAULT '',
  Domicilio   VARCHAR(150) NOT NULL DEFAULT '',
  Colonia     VARCHAR(100) NOT NULL DEFAULT '',
  CP          VARCHAR(20) NOT NULL DEFAULT '',
  Ciudad      VARCHAR(100) NOT NULL DEFAULT '',
  Estado      VARCHAR(60) NOT NULL DEFAULT '',
  Telefono1   VARCHAR(40) NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_generales_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Company settings, key-value. Keys starting with 'cnc' belong to the hub
-- and are never copied to the ESPEJO; the case-insensitive collation makes
-- "Dato NOT LIKE 'CNC%'" match them in any case.
CREATE TABLE IF NOT EXISTS configura (
  Dato        VARCHAR(60) NOT NULL DEFAULT '',
  Contenido   TEXT NOT NULL DEFAULT '',
  Tipo        CHAR(1) NOT NULL DEFAULT 'C',
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  PRIMARY KEY (Dato)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Folio series (Compra, Movimiento, Foliote, Ajuste, Traspaso, Entrada...):
-- the last folio given of each. Taken and advanced in one statement.
CREATE TABLE IF NOT EXISTS folios (
  Serie VARCHAR(30) NOT NULL,
  Folio INT NOT NULL DEFAULT 0,
  PRIMARY KEY (Serie)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Company counters and system values, key-value ('PE-' + series, 'TR-', ...).
CREATE TABLE IF NOT EXISTS sistema (
  Dato        VARCHAR(60) NOT NULL DEFAULT '',
  Contenido   VARCHAR(255) NOT NULL DEFAULT '',
  Tipo        CHAR(1) NOT NULL DEFAULT 'C',
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  PRIMARY KEY (Dato)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- SQL statements recorded locally, to be replayed on the ESPEJO.
CREATE TABLE IF NOT EXISTS sqlborrado (
  Id        INT NOT NULL AUTO_INCREMENT,
  Sentencia TEXT NOT NULL DEFAULT '',
  FADUA     DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_sqlborrado_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Report files of the company (sent whole, by Archivo).
CREATE TABLE IF NOT EXISTS anexoreportes (
  Archivo     VARCHAR(100) NOT NULL DEFAULT '',
  Descripcion VARCHAR(150) NOT NULL DEFAULT '',
  Reporte     LONGBLOB NULL,
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Archivo),
  KEY idx_anexoreportes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Tables the sending stages always leave out. They keep an autoincrement
-- key and FADUA like the others, so leaving them out is the sender's
-- decision and not an accident of their layout.

-- Tarvena update history.
CREATE TABLE IF NOT EXISTS actualizacion (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_actualizacion_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Invoice addenda definitions.
CREATE TABLE IF NOT EXISTS addendas (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_addendas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Digital-seal certificates.
CREATE TABLE IF NOT EXISTS certificados (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_certificados_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Accounting interface settings.
CREATE TABLE IF NOT EXISTS cntpqconfig (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_cntpqconfig_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Accounting interface settings, detail.
CREATE TABLE IF NOT EXISTS cntpqconfigdetalle (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_cntpqconfigdetalle_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Kitchen orders.
CREATE TABLE IF NOT EXISTS comandas (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_comandas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Electronic invoice complements.
CREATE TABLE IF NOT EXISTS complementosxml (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_complementosxml_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Settings of remote workstations.
CREATE TABLE IF NOT EXISTS configuraremoto (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_configuraremoto_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Cash breakdown.
CREATE TABLE IF NOT EXISTS desglose (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_desglose_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Sales on hold.
CREATE TABLE IF NOT EXISTS enespera (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_enespera_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Electronic invoice folios.
CREATE TABLE IF NOT EXISTS folioscfd (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_folioscfd_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Images.
CREATE TABLE IF NOT EXISTS imagenes (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_imagenes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Interest rules.
CREATE TABLE IF NOT EXISTS intereses (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_intereses_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Label layouts.
CREATE TABLE IF NOT EXISTS labelmatrix (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_labelmatrix_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Cost list prints.
CREATE TABLE IF NOT EXISTS listadecostos (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_listadecostos_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Price list prints.
CREATE TABLE IF NOT EXISTS listadeprecios (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_listadeprecios_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Invoice lists.
CREATE TABLE IF NOT EXISTS listafacturas (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_listafacturas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Remission lists.
CREATE TABLE IF NOT EXISTS listaremisiones (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_listaremisiones_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Pending notes.
CREATE TABLE IF NOT EXISTS notaspendientes (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_notaspendientes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Cipher tool settings.
CREATE TABLE IF NOT EXISTS openssl (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_openssl_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Screen layouts.
CREATE TABLE IF NOT EXISTS pantallas (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_pantallas_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Customs documents.
CREATE TABLE IF NOT EXISTS pedimentos (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_pedimentos_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Bar products.
CREATE TABLE IF NOT EXISTS productosbares (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_productosbares_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Product compositions.
CREATE TABLE IF NOT EXISTS productoscon (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_productoscon_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Compiled reports.
CREATE TABLE IF NOT EXISTS reportesbin (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_reportesbin_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Cash withdrawals.
CREATE TABLE IF NOT EXISTS retiroscc (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_retiroscc_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Pending air-time sales.
CREATE TABLE IF NOT EXISTS tapendientes (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_tapendientes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Ticket logos.
CREATE TABLE IF NOT EXISTS tcklogotipos (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_tcklogotipos_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Pending tickets.
CREATE TABLE IF NOT EXISTS tckpendientes (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_tckpendientes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Pending invoice stamps.
CREATE TABLE IF NOT EXISTS timbrespendientes (
  Id          INT NOT NULL AUTO_INCREMENT,
  Descripcion VARCHAR(255) NOT NULL DEFAULT '',
  Contenido   MEDIUMTEXT NOT NULL DEFAULT '',
  FADUA       DATETIME NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  PRIMARY KEY (Id),
  KEY idx_timbrespendientes_fadua (FADUA)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
