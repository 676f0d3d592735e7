# The two commands a new user types: `make test` and `make run`.
# Both install the Debian packages that are missing, configure and build first.

PRESET   ?= default
# WERROR=ON turns compiler warnings into errors (the CI run does); a developer's build keeps
# them as warnings.
WERROR   ?= OFF
# UNITY=ON compiles each target's sources a few at a time as one (half the compiler time of a
# clean build; the CI run does). A developer's build keeps one source a compile, which is
# quicker after an edit and shows a source that leans on another's includes.
UNITY    ?= OFF
BUILD    := build/$(PRESET)
PACKAGES := cmake ninja-build g++ clang clang-format pkg-config \
            qt6-base-dev libjpeg62-turbo-dev libturbojpeg0-dev \
            libgtest-dev libgmock-dev libbenchmark-dev \
            fonts-dejavu-core xvfb xauth xdotool \
            desktop-file-utils appstream man-db
# Where `make install` puts the station; DESTDIR is honoured as well.
PREFIX   ?= /usr/local

.PHONY: all deps configure build test run format format-check install uninstall package clean

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
	@cmake --preset $(PRESET) -DZELVOCAM_WERROR=$(WERROR) -DCMAKE_UNITY_BUILD=$(UNITY) > $(BUILD).configure.log 2>&1 || \
	  { cat $(BUILD).configure.log; exit 1; }

build: configure
	cmake --build --preset $(PRESET)

# The preset gives the jobs and each test's time limit (longer under the sanitizers).
test: build
	QT_QPA_PLATFORM=offscreen ctest --preset $(PRESET)

run: build
	@if [ ! -x $(BUILD)/zelvocam ]; then \
	  echo "The station is not built yet: only the libraries and tests exist so far."; \
	elif [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "No display: set DISPLAY (or run 'xvfb-run -a make run'), or QT_QPA_PLATFORM=offscreen." >&2; exit 1; \
	else \
	  ZELVOCAM_DEVICE=$${ZELVOCAM_DEVICE:-sim} $(BUILD)/zelvocam; \
	fi

# The C++ sources in the form .clang-format gives them; format-check only reports (the CI run).
format: deps
	git ls-files -z '*.cpp' '*.h' '*.cc' | xargs -0 clang-format -i

format-check: deps
	git ls-files -z '*.cpp' '*.h' '*.cc' | xargs -0 clang-format --dry-run --Werror

# Builds first when run by a user; as root (sudo make install) an existing build is only
# installed, so the build tree does not become root's.
install:
	@if [ "$$(id -u)" -ne 0 ] || [ ! -f $(BUILD)/build.ninja ]; then $(MAKE) --no-print-directory build; fi
	cmake --install $(BUILD) --prefix $(PREFIX)
	cp $(BUILD)/install_manifest.txt $(BUILD)/installed-files.txt

# Removes what the last `make install` put in place. Its list is copied aside because every
# cmake --install (the tests' and the package's too) rewrites install_manifest.txt.
uninstall:
	@if [ ! -f $(BUILD)/installed-files.txt ]; then echo "Nothing installed from $(BUILD)."; exit 1; fi
	xargs -d '\n' rm -f -- < $(BUILD)/installed-files.txt
	rm -f $(BUILD)/installed-files.txt

# The Debian package, build/<preset>/zelvocam_<version>_<arch>.deb, checked by lintian.
package: PACKAGES += dpkg-dev lintian
package: build
	cd $(BUILD) && cpack -G DEB
	lintian --fail-on error $(BUILD)/zelvocam_*.deb

clean:
	rm -rf build
