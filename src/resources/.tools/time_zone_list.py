#!/usr/bin/env python3
# Writes src/resources/file/time_zone.json: one entry per city with its standard-time offset
# (daylight saving is the hub's own business), sorted by the English city name.
#   python3 src/resources/.tools/time_zone_list.py src/resources/file/time_zone.json
import json
import sys

# offset | English city | English country | Chinese city | Chinese country
TABLE = """
-10:00|Honolulu|United States|火奴鲁鲁|美国
-10:00|Papeete|French Polynesia|帕皮提|法属波利尼西亚
-10:00|Rarotonga|Cook Islands|拉罗汤加|库克群岛
-9:00|Anchorage|United States|安克雷奇|美国
-8:00|Los Angeles|United States|洛杉矶|美国
-8:00|San Francisco|United States|旧金山|美国
-8:00|Seattle|United States|西雅图|美国
-8:00|Vancouver|Canada|温哥华|加拿大
-8:00|Tijuana|Mexico|蒂华纳|墨西哥
-8:00|Las Vegas|United States|拉斯维加斯|美国
-8:00|Portland|United States|波特兰|美国
-8:00|San Diego|United States|圣迭戈|美国
-7:00|Denver|United States|丹佛|美国
-7:00|Phoenix|United States|菲尼克斯|美国
-7:00|Calgary|Canada|卡尔加里|加拿大
-7:00|Edmonton|Canada|埃德蒙顿|加拿大
-7:00|Salt Lake City|United States|盐湖城|美国
-6:00|Chicago|United States|芝加哥|美国
-6:00|Mexico City|Mexico|墨西哥城|墨西哥
-6:00|Dallas|United States|达拉斯|美国
-6:00|Winnipeg|Canada|温尼伯|加拿大
-6:00|Guatemala City|Guatemala|危地马拉城|危地马拉
-6:00|San Salvador|El Salvador|圣萨尔瓦多|萨尔瓦多
-6:00|Tegucigalpa|Honduras|特古西加尔巴|洪都拉斯
-6:00|Managua|Nicaragua|马那瓜|尼加拉瓜
-6:00|San Jose|Costa Rica|圣何塞|哥斯达黎加
-5:00|New York|United States|纽约|美国
-5:00|Washington|United States|华盛顿|美国
-5:00|Toronto|Canada|多伦多|加拿大
-5:00|Montreal|Canada|蒙特利尔|加拿大
-5:00|Ottawa|Canada|渥太华|加拿大
-5:00|Miami|United States|迈阿密|美国
-5:00|Havana|Cuba|哈瓦那|古巴
-5:00|Kingston|Jamaica|金斯敦|牙买加
-5:00|Bogota|Colombia|波哥大|哥伦比亚
-5:00|Lima|Peru|利马|秘鲁
-5:00|Quito|Ecuador|基多|厄瓜多尔
-5:00|Panama City|Panama|巴拿马城|巴拿马
-5:00|Port-au-Prince|Haiti|太子港|海地
-5:00|Nassau|Bahamas|拿骚|巴哈马
-4:00|Santiago|Chile|圣地亚哥|智利
-4:00|Caracas|Venezuela|加拉加斯|委内瑞拉
-4:00|La Paz|Bolivia|拉巴斯|玻利维亚
-4:00|Halifax|Canada|哈利法克斯|加拿大
-4:00|San Juan|Puerto Rico|圣胡安|波多黎各
-4:00|Santo Domingo|Dominican Republic|圣多明各|多米尼加
-4:00|Manaus|Brazil|马瑙斯|巴西
-4:00|Port of Spain|Trinidad and Tobago|西班牙港|特立尼达和多巴哥
-4:00|Georgetown|Guyana|乔治敦|圭亚那
-3:00|Sao Paulo|Brazil|圣保罗|巴西
-3:00|Rio de Janeiro|Brazil|里约热内卢|巴西
-3:00|Brasilia|Brazil|巴西利亚|巴西
-3:00|Buenos Aires|Argentina|布宜诺斯艾利斯|阿根廷
-3:00|Montevideo|Uruguay|蒙得维的亚|乌拉圭
-3:00|Cayenne|French Guiana|卡宴|法属圭亚那
-3:00|Paramaribo|Suriname|帕拉马里博|苏里南
-3:00|Stanley|Falkland Islands|斯坦利|
-2:00|Fernando de Noronha|Brazil|费尔南多-迪诺罗尼亚|巴西
-2:00|King Edward Point|South Georgia|爱德华国王角|
-2:00|Nuuk|Greenland|努克|格陵兰
-1:00|Praia|Cape Verde|普拉亚|佛得角
-1:00|Ponta Delgada|Portugal|蓬塔德尔加达|葡萄牙
+0:00|Accra|Ghana|阿克拉|加纳
+0:00|London|United Kingdom|伦敦|英国
+0:00|Dublin|Ireland|都柏林|爱尔兰
+0:00|Lisbon|Portugal|里斯本|葡萄牙
+0:00|Reykjavik|Iceland|雷克雅未克|冰岛
+0:00|Dakar|Senegal|达喀尔|塞内加尔
+0:00|Bamako|Mali|巴马科|马里
+0:00|Conakry|Guinea|科纳克里|几内亚
+0:00|Freetown|Sierra Leone|弗里敦|塞拉利昂
+0:00|Monrovia|Liberia|蒙罗维亚|利比里亚
+0:00|Ouagadougou|Burkina Faso|瓦加杜古|布基纳法索
+0:00|Lome|Togo|洛美|多哥
+0:00|Nouakchott|Mauritania|努瓦克肖特|毛里塔尼亚
+1:00|Paris|France|巴黎|法国
+1:00|Berlin|Germany|柏林|德国
+1:00|Rome|Italy|罗马|意大利
+1:00|Madrid|Spain|马德里|西班牙
+1:00|Amsterdam|Netherlands|阿姆斯特丹|荷兰
+1:00|Brussels|Belgium|布鲁塞尔|比利时
+1:00|Vienna|Austria|维也纳|奥地利
+1:00|Zurich|Switzerland|苏黎世|瑞士
+1:00|Stockholm|Sweden|斯德哥尔摩|瑞典
+1:00|Oslo|Norway|奥斯陆|挪威
+1:00|Copenhagen|Denmark|哥本哈根|丹麦
+1:00|Warsaw|Poland|华沙|波兰
+1:00|Prague|Czech Republic|布拉格|捷克
+1:00|Budapest|Hungary|布达佩斯|匈牙利
+1:00|Belgrade|Serbia|贝尔格莱德|塞尔维亚
+1:00|Zagreb|Croatia|萨格勒布|克罗地亚
+1:00|Ljubljana|Slovenia|卢布尔雅那|斯洛文尼亚
+1:00|Bratislava|Slovakia|布拉迪斯拉发|斯洛伐克
+1:00|Luxembourg|Luxembourg|卢森堡|卢森堡
+1:00|Lagos|Nigeria|拉各斯|尼日利亚
+1:00|Algiers|Algeria|阿尔及尔|阿尔及利亚
+1:00|Tunis|Tunisia|突尼斯|突尼斯
+1:00|Casablanca|Morocco|卡萨布兰卡|摩洛哥
+1:00|Kinshasa|DR Congo|金沙萨|刚果（金）
+1:00|Luanda|Angola|罗安达|安哥拉
+1:00|Yaounde|Cameroon|雅温得|喀麦隆
+1:00|Libreville|Gabon|利伯维尔|加蓬
+1:00|Niamey|Niger|尼亚美|尼日尔
+1:00|N'Djamena|Chad|恩贾梅纳|乍得
+1:00|Valletta|Malta|瓦莱塔|马耳他
+1:00|Sarajevo|Bosnia and Herzegovina|萨拉热窝|波黑
+1:00|Skopje|North Macedonia|斯科普里|北马其顿
+1:00|Tirana|Albania|地拉那|阿尔巴尼亚
+1:00|Brazzaville|Republic of the Congo|布拉柴维尔|刚果（布）
+2:00|Cairo|Egypt|开罗|埃及
+2:00|Athens|Greece|雅典|希腊
+2:00|Helsinki|Finland|赫尔辛基|芬兰
+2:00|Kyiv|Ukraine|基辅|乌克兰
+2:00|Bucharest|Romania|布加勒斯特|罗马尼亚
+2:00|Sofia|Bulgaria|索非亚|保加利亚
+2:00|Johannesburg|South Africa|约翰内斯堡|南非
+2:00|Cape Town|South Africa|开普敦|南非
+2:00|Jerusalem|Israel|耶路撒冷|以色列
+2:00|Beirut|Lebanon|贝鲁特|黎巴嫩
+2:00|Riga|Latvia|里加|拉脱维亚
+2:00|Tallinn|Estonia|塔林|爱沙尼亚
+2:00|Vilnius|Lithuania|维尔纽斯|立陶宛
+2:00|Chisinau|Moldova|基希讷乌|摩尔多瓦
+2:00|Harare|Zimbabwe|哈拉雷|津巴布韦
+2:00|Lusaka|Zambia|卢萨卡|赞比亚
+2:00|Maputo|Mozambique|马普托|莫桑比克
+2:00|Gaborone|Botswana|哈博罗内|博茨瓦纳
+2:00|Windhoek|Namibia|温得和克|纳米比亚
+2:00|Kigali|Rwanda|基加利|卢旺达
+2:00|Lilongwe|Malawi|利隆圭|马拉维
+2:00|Tripoli|Libya|的黎波里|利比亚
+2:00|Khartoum|Sudan|喀土穆|苏丹
+2:00|Kaliningrad|Russia|加里宁格勒|俄罗斯
+2:00|Nicosia|Cyprus|尼科西亚|塞浦路斯
+2:00|Juba|South Sudan|朱巴|南苏丹
+3:00|Moscow|Russia|莫斯科|俄罗斯
+3:00|Istanbul|Turkey|伊斯坦布尔|土耳其
+3:00|Riyadh|Saudi Arabia|利雅得|沙特阿拉伯
+3:00|Baghdad|Iraq|巴格达|伊拉克
+3:00|Kuwait City|Kuwait|科威特城|科威特
+3:00|Doha|Qatar|多哈|卡塔尔
+3:00|Manama|Bahrain|麦纳麦|巴林
+3:00|Nairobi|Kenya|内罗毕|肯尼亚
+3:00|Addis Ababa|Ethiopia|亚的斯亚贝巴|埃塞俄比亚
+3:00|Dar es Salaam|Tanzania|达累斯萨拉姆|坦桑尼亚
+3:00|Kampala|Uganda|坎帕拉|乌干达
+3:00|Mogadishu|Somalia|摩加迪沙|索马里
+3:00|Djibouti|Djibouti|吉布提|吉布提
+3:00|Antananarivo|Madagascar|塔那那利佛|马达加斯加
+3:00|Minsk|Belarus|明斯克|白俄罗斯
+3:00|Saint Petersburg|Russia|圣彼得堡|俄罗斯
+3:00|Sanaa|Yemen|萨那|也门
+3:00|Amman|Jordan|安曼|约旦
+3:00|Damascus|Syria|大马士革|叙利亚
+3:30|Tehran|Iran|德黑兰|伊朗
+3:30|Mashhad|Iran|马什哈德|伊朗
+4:00|Dubai|United Arab Emirates|迪拜|阿联酋
+4:00|Muscat|Oman|马斯喀特|阿曼
+4:00|Baku|Azerbaijan|巴库|阿塞拜疆
+4:00|Tbilisi|Georgia|第比利斯|格鲁吉亚
+4:00|Yerevan|Armenia|埃里温|亚美尼亚
+4:00|Port Louis|Mauritius|路易港|毛里求斯
+4:00|Samara|Russia|萨马拉|俄罗斯
+4:00|Saint-Denis|Reunion|圣但尼|
+4:30|Kabul|Afghanistan|喀布尔|阿富汗
+4:30|Mazar-i-Sharif|Afghanistan|马扎里沙里夫|阿富汗
+5:00|Karachi|Pakistan|卡拉奇|巴基斯坦
+5:00|Islamabad|Pakistan|伊斯兰堡|巴基斯坦
+5:00|Lahore|Pakistan|拉合尔|巴基斯坦
+5:00|Tashkent|Uzbekistan|塔什干|乌兹别克斯坦
+5:00|Dushanbe|Tajikistan|杜尚别|塔吉克斯坦
+5:00|Ashgabat|Turkmenistan|阿什哈巴德|土库曼斯坦
+5:00|Yekaterinburg|Russia|叶卡捷琳堡|俄罗斯
+5:00|Male|Maldives|马累|马尔代夫
+5:30|New Delhi|India|新德里|印度
+5:30|Mumbai|India|孟买|印度
+5:30|Kolkata|India|加尔各答|印度
+5:30|Chennai|India|金奈|印度
+5:30|Bangalore|India|班加罗尔|印度
+5:30|Hyderabad|India|海得拉巴|印度
+5:30|Colombo|Sri Lanka|科伦坡|斯里兰卡
+6:00|Dhaka|Bangladesh|达卡|孟加拉国
+6:00|Bishkek|Kyrgyzstan|比什凯克|吉尔吉斯斯坦
+6:00|Thimphu|Bhutan|廷布|不丹
+6:00|Omsk|Russia|鄂木斯克|俄罗斯
+6:00|Chittagong|Bangladesh|吉大港|孟加拉国
+6:30|Yangon|Myanmar|仰光|缅甸
+6:30|Mandalay|Myanmar|曼德勒|缅甸
+7:00|Bangkok|Thailand|曼谷|泰国
+7:00|Jakarta|Indonesia|雅加达|印度尼西亚
+7:00|Hanoi|Vietnam|河内|越南
+7:00|Ho Chi Minh City|Vietnam|胡志明市|越南
+7:00|Phnom Penh|Cambodia|金边|柬埔寨
+7:00|Vientiane|Laos|万象|老挝
+7:00|Novosibirsk|Russia|新西伯利亚|俄罗斯
+7:00|Krasnoyarsk|Russia|克拉斯诺亚尔斯克|俄罗斯
+7:00|Surabaya|Indonesia|泗水|印度尼西亚
+7:00|Hovd|Mongolia|科布多|蒙古
+8:00|Beijing|China|北京|中国
+8:00|Shanghai|China|上海|中国
+8:00|Guangzhou|China|广州|中国
+8:00|Shenzhen|China|深圳|中国
+8:00|Hong Kong|China|香港|中国
+8:00|Macau|China|澳门|中国
+8:00|Taipei|China|台北|中国
+8:00|Singapore|Singapore|新加坡|新加坡
+8:00|Kuala Lumpur|Malaysia|吉隆坡|马来西亚
+8:00|Manila|Philippines|马尼拉|菲律宾
+8:00|Perth|Australia|珀斯|澳大利亚
+8:00|Ulaanbaatar|Mongolia|乌兰巴托|蒙古
+8:00|Irkutsk|Russia|伊尔库茨克|俄罗斯
+8:00|Chengdu|China|成都|中国
+8:00|Chongqing|China|重庆|中国
+8:00|Wuhan|China|武汉|中国
+8:00|Hangzhou|China|杭州|中国
+8:00|Nanjing|China|南京|中国
+8:00|Xi'an|China|西安|中国
+8:00|Tianjin|China|天津|中国
+8:00|Harbin|China|哈尔滨|中国
+8:00|Kunming|China|昆明|中国
+8:00|Xiamen|China|厦门|中国
+8:00|Lhasa|China|拉萨|中国
+8:00|Bandar Seri Begawan|Brunei|斯里巴加湾市|文莱
+8:00|Denpasar|Indonesia|登巴萨|印度尼西亚
+9:00|Tokyo|Japan|东京|日本
+9:00|Osaka|Japan|大阪|日本
+9:00|Kyoto|Japan|京都|日本
+9:00|Sapporo|Japan|札幌|日本
+9:00|Fukuoka|Japan|福冈|日本
+9:00|Seoul|South Korea|首尔|韩国
+9:00|Busan|South Korea|釜山|韩国
+9:00|Pyongyang|North Korea|平壤|朝鲜
+9:00|Yakutsk|Russia|雅库茨克|俄罗斯
+9:00|Dili|Timor-Leste|帝力|东帝汶
+9:00|Jayapura|Indonesia|查亚普拉|印度尼西亚
+9:00|Koror|Palau|科罗尔|帕劳
+9:30|Adelaide|Australia|阿德莱德|澳大利亚
+9:30|Darwin|Australia|达尔文|澳大利亚
+9:30|Alice Springs|Australia|艾丽斯斯普林斯|澳大利亚
+10:00|Sydney|Australia|悉尼|澳大利亚
+10:00|Melbourne|Australia|墨尔本|澳大利亚
+10:00|Brisbane|Australia|布里斯班|澳大利亚
+10:00|Canberra|Australia|堪培拉|澳大利亚
+10:00|Hobart|Australia|霍巴特|澳大利亚
+10:00|Vladivostok|Russia|符拉迪沃斯托克|俄罗斯
+10:00|Khabarovsk|Russia|哈巴罗夫斯克|俄罗斯
+10:00|Port Moresby|Papua New Guinea|莫尔兹比港|巴布亚新几内亚
+10:00|Hagatna|Guam|阿加尼亚|关岛
+10:00|Saipan|Northern Mariana Islands|塞班|北马里亚纳群岛
+11:00|Magadan|Russia|马加丹|俄罗斯
+11:00|Noumea|New Caledonia|努美阿|新喀里多尼亚
+11:00|Honiara|Solomon Islands|霍尼亚拉|所罗门群岛
+11:00|Port Vila|Vanuatu|维拉港|瓦努阿图
+11:00|Yuzhno-Sakhalinsk|Russia|南萨哈林斯克|俄罗斯
+11:00|Palikir|Micronesia|帕利基尔|密克罗尼西亚
+12:00|Auckland|New Zealand|奥克兰|新西兰
+12:00|Wellington|New Zealand|惠灵顿|新西兰
+12:00|Christchurch|New Zealand|克赖斯特彻奇|新西兰
+12:00|Suva|Fiji|苏瓦|斐济
+12:00|Majuro|Marshall Islands|马朱罗|马绍尔群岛
+12:00|Tarawa|Kiribati|塔拉瓦|基里巴斯
+12:00|Funafuti|Tuvalu|富纳富提|图瓦卢
+12:00|Petropavlovsk-Kamchatsky|Russia|堪察加彼得罗巴甫洛夫斯克|俄罗斯
+12:00|Yaren|Nauru|亚伦|瑙鲁
+12:00|Mata-Utu|Wallis and Futuna|马塔乌图|瓦利斯和富图纳
-6:00|Houston|United States|休斯敦|美国
-5:00|Boston|United States|波士顿|美国
-5:00|Atlanta|United States|亚特兰大|美国
-5:00|Philadelphia|United States|费城|美国
+0:00|Edinburgh|United Kingdom|爱丁堡|英国
+1:00|Barcelona|Spain|巴塞罗那|西班牙
+1:00|Munich|Germany|慕尼黑|德国
+1:00|Milan|Italy|米兰|意大利
+1:00|Frankfurt|Germany|法兰克福|德国
+1:00|Geneva|Switzerland|日内瓦|瑞士
+1:00|Monaco|Monaco|摩纳哥|摩纳哥
+2:00|Tel Aviv|Israel|特拉维夫|以色列
+3:00|Jeddah|Saudi Arabia|吉达|沙特阿拉伯
+3:00|Ankara|Turkey|安卡拉|土耳其
+5:30|Pune|India|浦那|印度
+5:30|Jaipur|India|斋浦尔|印度
+9:00|Kobe|Japan|神户|日本
+9:00|Yokohama|Japan|横滨|日本
+9:00|Nagoya|Japan|名古屋|日本
+9:00|Incheon|South Korea|仁川|韩国
+10:00|Gold Coast|Australia|黄金海岸|澳大利亚
"""


def main():
    entries = []
    for line in TABLE.strip().splitlines():
        offset, city, country, city_zh, country_zh = line.split("|")
        entries.append({
            "offset": "GMT" + offset,
            "city": {"zh_CN": city_zh, "en_US": city},
            "country": {"zh_CN": country_zh, "en_US": country},
        })
    entries.sort(key=lambda e: e["city"]["en_US"].casefold())
    cities = [e["city"]["en_US"] for e in entries]
    assert len(set(cities)) == len(cities), "duplicate city"
    with open(sys.argv[1], "w", encoding="utf-8") as out:
        json.dump(entries, out, ensure_ascii=False, indent=1)
        out.write("\n")
    print(len(entries), "entries,", len({e["offset"] for e in entries}), "offsets, first", cities[0])


if __name__ == "__main__":
    main()
