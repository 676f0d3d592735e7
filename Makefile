# The two commands a new user types: `make test` and `make run`.
# Both install the Debian packages that are missing, configure and build first.

PRESET   ?= default
# WERROR=ON turns compiler warnings into errors (the CI run does); a developer's build keeps
# them as warnings.
WERROR   ?= OFF
BUILD    := build/$(PRESET)
PACKAGES := cmake ninja-build g++ clang pkg-config \
            qt6-base-dev libjpeg62-turbo-dev libturbojpeg0-dev \
            libgtest-dev libgmock-dev libbenchmark-dev \
            fonts-dejavu-core xvfb xauth xdotool

.PHONY: all deps configure build test run clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  sudo=""; [ "$$(id -u)" -eq 0 ] || sudo=sudo; \
	  echo "installing:$$missing"; \
	  $$sudo apt-get update && DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y $$missing; \
	fi

# Configured every time (a second or two): a folder added since the last configure is picked up.
configure: deps
	@mkdir -p build
	@cmake --preset $(PRESET) -DZELVOCAM_WERROR=$(WERROR) > $(BUILD).configure.log 2>&1 || \
	  { cat $(BUILD).configure.log; exit 1; }

build: configure
	cmake --build --preset $(PRESET)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300

run: build
	@if [ ! -x $(BUILD)/zelvocam ]; then \
	  echo "The station is not built yet: only the libraries and tests exist so far."; \
	elif [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "No display: set DISPLAY (or run 'xvfb-run -a make run'), or QT_QPA_PLATFORM=offscreen." >&2; exit 1; \
	else \
	  ZELVOCAM_DEVICE=$${ZELVOCAM_DEVICE:-sim} $(BUILD)/zelvocam; \
	fi

clean:
	rm -rf build
