#!/usr/bin/env bash
# Redraws the README's pictures of the banner, the popup and the input box (docs/*.png) by driving
# the component gallery and the app over automation. Run after a build.
source "$(dirname "$0")/screenshots-common.sh"

gallery >/dev/null <<JSON
{"cmd":"tap","text":"Banner"}
{"cmd":"advance","seconds":0.6}
{"cmd":"tap","text":"叠加三条"}
{"cmd":"advance","seconds":0.1}
{"cmd":"tap","text":"两行消息"}
{"cmd":"advance","seconds":0.5}
{"cmd":"screenshot","path":"$docs/banner.png"}
{"cmd":"quit"}
JSON

gallery >/dev/null <<JSON
{"cmd":"tap","text":"Popup"}
{"cmd":"advance","seconds":0.6}
{"cmd":"tap","text":"背景: 无"}
{"cmd":"tap","text":"键盘: DEFAULT"}
{"cmd":"tap","text":"显示弹窗"}
{"cmd":"advance","seconds":0.6}
{"cmd":"tap","label":"服务器的端口号"}
{"cmd":"advance","seconds":0.3}
{"cmd":"type","text":"8080"}
{"cmd":"tap","text":"系统配置"}
{"cmd":"advance","seconds":0.3}
{"cmd":"screenshot","path":"$docs/popup.png"}
{"cmd":"quit"}
JSON

gallery >/dev/null <<JSON
{"cmd":"tap","text":"Input box"}
{"cmd":"advance","seconds":0.6}
{"cmd":"tap","text":"数字框"}
{"cmd":"advance","seconds":0.4}
{"cmd":"tap","x":160,"y":280}
{"cmd":"type","text":"125800"}
{"cmd":"advance","seconds":0.6}
{"cmd":"screenshot","path":"$docs/inputbox-number.png"}
{"cmd":"tap","text":"提交"}
{"cmd":"advance","seconds":0.6}
{"cmd":"tap","text":"样式: 0 (浅)"}
{"cmd":"tap","text":"样式: 1 浅"}
{"cmd":"tap","text":"登录框"}
{"cmd":"advance","seconds":0.4}
{"cmd":"screenshot","path":"$docs/inputbox-login-dark.png"}
{"cmd":"quit"}
JSON

"$build/app/mivo-inspector" --home "$home" --headless --automation --server http://127.0.0.1 --port 8080 >/dev/null <<JSON
{"cmd":"advance","seconds":0.5}
{"cmd":"tap","text":"系统配置"}
{"cmd":"advance","seconds":0.3}
{"cmd":"screenshot","path":"$docs/login-server-address.png"}
{"cmd":"quit"}
JSON
echo "screenshots: banner, popup, input box and the login's server address popup in $docs"
