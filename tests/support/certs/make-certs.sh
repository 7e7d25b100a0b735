#!/usr/bin/env bash
# Makes the test CA and the stand-in hub's certificate (10 years). Run once; the results are
# committed, and the CA certificate is also the application's resource file/ks_root_ca.crt.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 3650 \
    -subj "/O=Orvel Test/CN=Orvel Test Root CA" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout ca.key -out ca.crt
openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
    -subj "/O=Orvel Test/CN=standin-hub" -keyout hub.key -out hub.csr
printf '%s\n' "basicConstraints=CA:FALSE" "keyUsage=critical,digitalSignature" \
    "extendedKeyUsage=serverAuth" "subjectAltName=IP:127.0.0.1,DNS:localhost" > hub.ext
openssl x509 -req -in hub.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 3650 -extfile hub.ext -out hub.crt
rm -f hub.csr hub.ext ca.srl
cp ca.crt ../../../src/resources/file/ks_root_ca.crt
